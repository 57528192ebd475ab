// The catalogue core code takes the window's words from: Qt's installed translators, asked by
// context and source text. QCoreApplication::translate is thread-safe, so a run on a worker asks
// it too.
#pragma once

#include <QCoreApplication>
#include <string>

#include "platform/text_catalogue.h"

namespace korimu {

inline TextCatalogue qtTextCatalogue() {
  return TextCatalogue([](const char* context, const char* source) {
    return QCoreApplication::translate(context, source).toStdString();
  });
}

}  // namespace korimu
