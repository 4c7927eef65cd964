// tessarine-test-decoder: the decoder process with a work that misbehaves on demand, for the tests
// of what a crashing or hanging decoder costs. The work argument (or, for a scan's thumbnail work,
// the thumbnail file's name) says what to do: "crash", "hang", "signals"; anything else is answered
// with "work saw <width>x<height>" and a 2x1 preview.
#include <FreeImage.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "metadata/DecoderService.h"

namespace {

bool Names(const std::string& argument, const char* what) { return argument.find(what) != std::string::npos; }

tessarine::DecodedImageResult Misbehave(FIBITMAP* bitmap, const std::string& argument) {
  if (Names(argument, "crash")) std::abort();
  if (Names(argument, "hang")) ::pause();
  if (Names(argument, "signals")) {
    ::raise(SIGINT);
    ::raise(SIGTERM);
  }
  return {"work saw " + std::to_string(FreeImage_GetWidth(bitmap)) + "x" + std::to_string(FreeImage_GetHeight(bitmap)),
          tessarine::PreviewImage{2, 1, {1, 2, 3, 4, 5, 6}}};
}

}  // namespace

int main(int argc, char** argv) { return tessarine::RunDecoderProcess(argc, argv, Misbehave, 0); }
