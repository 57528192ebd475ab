// The Wave information dialog: the selected file's header field by field, with short hints on
// how the fields relate, and the name of its format tag.
#pragma once

#include <QDialog>
#include <string>

namespace korimu {

// Builds the dialog for the file at `path` (not yet shown). The caller has closed the file so
// the dialog can read it itself.
QDialog* createInfoDialog(QWidget* parent, const std::string& path);

// Runs the dialog modally for the selected file.
void runInfoDialog(QWidget* parent, const std::string& path);

}  // namespace korimu
