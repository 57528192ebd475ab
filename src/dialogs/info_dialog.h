// The Wave information dialog: the selected file's header field by field, with short hints on
// how the fields relate, and the name of its format tag.
#pragma once

#include <QDialog>
#include <string>

#include "core/settings.h"
#include "core/source_format.h"

namespace korimu {

// Builds the dialog for the file at `path` (not yet shown), in the look the settings choose (its
// 3D-look item switches them). The caller has closed the file so the dialog can read it itself.
// For a decoded copy, `decodedFrom` is what its source holds: the dialog shows it in rows above
// the copy's header.
QDialog* createInfoDialog(QWidget* parent, AppSettings& settings, const std::string& path,
                          const SourceFormat* decodedFrom = nullptr);

// Runs the dialog modally for the selected file.
void runInfoDialog(QWidget* parent, AppSettings& settings, const std::string& path,
                   const SourceFormat* decodedFrom = nullptr);

}  // namespace korimu
