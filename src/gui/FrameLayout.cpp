#include "gui/FrameLayout.h"

#include <QBoxLayout>
#include <QHBoxLayout>
#include <QLabel>

#include "gui/LinkLabel.h"
#include "gui/WidgetNames.h"

namespace tessarine {

int IndentOfStepText() { return 20; }

void AddStep(QBoxLayout* layout, QLabel* bullet, QLabel* text) {
  auto* row = new QHBoxLayout;
  row->setSpacing(6);
  row->addWidget(bullet, 0, Qt::AlignTop);
  row->addWidget(text, 1);
  layout->addSpacing(4);
  layout->addLayout(row);
}

LinkLabel* AddNextStep(QBoxLayout* layout, QWidget* frame, int index, const QString& caption) {
  auto* link = Named(new LinkLabel(caption, frame), "lblNextStep", index);
  QFont font = link->font();
  font.setBold(true);
  link->setFont(font);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(link);
  layout->addLayout(row);
  return link;
}

}  // namespace tessarine
