// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Pieces the two option dialogs share.

#include <filesystem>

class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QWidget;

namespace presets {

// "Description:" and its edit.
QHBoxLayout* DescriptionRow(QLineEdit* edit);
// "Save As..." on the left, OK and Cancel on the right.
QHBoxLayout* ButtonRow(QPushButton* saveAs, QPushButton* ok, QPushButton* cancel);
void ShowWriteFailure(QWidget* owner, const std::filesystem::path& file);

}  // namespace presets
