// What an open document keeps from one analysis run to the next. The window keeps one for its
// whole life; each rendered file gets its own, so renders never see each other's runs.
#pragma once

#include "analysis/transform_tables.h"
#include "core/document.h"

namespace korimu {

struct Session {
  // The open document: what belongs to the file the user works on.
  Document document;
  // The transforms' tables, kept while the block size stays.
  TransformTables tables;
  // The loudest MEM block analysed so far: a later block is compared with every earlier one,
  // across runs.
  double memRunningMax = 0.0;
};

}  // namespace korimu
