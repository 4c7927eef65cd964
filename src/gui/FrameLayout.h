#pragma once
// Layout pieces shared by the tab frames: a bulleted step row and the next-step link.

#include <QString>

class QBoxLayout;
class QLabel;
class QWidget;

namespace tessarine {

class LinkLabel;

// The left margin of text that belongs under a bulleted step.
int IndentOfStepText();

// Adds a row: the bullet, then the step's label.
void AddStep(QBoxLayout* layout, QLabel* bullet, QLabel* text);

// Adds "Next -> ..." at the bottom right of a frame as lblNextStep_<index>.
LinkLabel* AddNextStep(QBoxLayout* layout, QWidget* frame, int index, const QString& caption);

}  // namespace tessarine
