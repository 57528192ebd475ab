// What every fuzz target shares: inputs written to a private file (the readers take file names),
// messages kept quiet, and a check that turns a broken invariant into a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/message.h"

namespace korimu::fuzz {

// Writes the input to this process's scratch file and returns its name. The folder is made on
// first use and removed at exit.
const std::string& writeInput(const uint8_t* data, size_t size);

// Messages that say nothing, and a fatal one is a finding.
Messages quietMessages();

// Choices taken from the end of an input, one byte each (0 once the input is used up); what is
// left at the front is the file.
class TrailingChoices {
 public:
  TrailingChoices(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t byte() { return size_ > 0 ? data_[--size_] : 0; }
  int inRange(int lowest, int highest) { return lowest + byte() % (highest - lowest + 1); }
  bool flag() { return (byte() & 1) != 0; }
  const uint8_t* rest() const { return data_; }
  size_t restSize() const { return size_; }

 private:
  const uint8_t* data_;
  size_t size_;
};

// Ends the process with the message when `holds` is false: the fuzzer keeps the input.
void check(bool holds, const char* what);

}  // namespace korimu::fuzz
