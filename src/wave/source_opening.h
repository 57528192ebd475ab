// Opening the file a user names: as it is when the WAV reader takes it, else, when the reader
// refuses its format and libsndfile decodes it, its decoded copy. Files nothing reads keep the
// reader's own message.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/document.h"
#include "core/settings.h"
#include "wave/decoded_copy.h"
#include "wave/wave_source.h"

namespace korimu {

struct WaveSession;

struct SourceOpenResult {
  WaveOpenResult wave;  // the open of the file itself, or of its copy
  std::optional<SourceFormat> decodedFrom;
  std::string decodedCopy;  // the copy opened, when one was: a name of its held descriptor
  std::shared_ptr<const CopyHold> copyHold;  // keeps that copy open and out of every trim
  bool cancelled = false;                    // the user stopped the decode: nothing is open
};

// Runs the decode of a refused file; the window wraps it in its handling of a long task.
using SourceDecoder = std::function<DecodeResult(const std::string& source)>;

SourceOpenResult openSource(WaveSession& wave, const WaveOpenRequest& request,
                            const AppSettings& settings, const SourceDecoder& decode);
// The second half of openSource, once the decode of the file whose open `refused` gave has ended
// with `decoded`: the copy's open, or what the decode's outcome says.
SourceOpenResult openDecodedSource(WaveSession& wave, const WaveOpenRequest& request,
                                   const AppSettings& settings, const WaveOpenResult& refused,
                                   const DecodeResult& decoded);

// What an open says of a source whose copy cannot be written (kUnwritable), could not be read
// (kUnusable) or cannot be made without libsndfile (kNoDecoder); "" for the other outcomes, where
// the reader's own message stands.
std::string decodeFailureMessage(const std::string& fileName, const DecodeResult& decoded,
                                 const TextCatalogue& texts = {});
// The same in English, for the second line of the message: "" where the reader's stands.
std::string decodeFailureReason(const DecodeResult& decoded);

// What to say of a source longer than a decoded copy may be ("" for any other): how much of it
// the copy shows, and why, for the window's box or the command line's stderr.
std::string decodedInPartNotice(const std::string& fileName, const SourceFormat& source,
                                FailureLine line, const TextCatalogue& texts = {});

// Keeps in the document what the open found: the decoded copy and what it was decoded from, or
// neither.
void rememberSource(Document& document, const SourceOpenResult& opened);

// The command line's decoder: into the user's cache, telling on stderr how a decode that takes
// longer than kDecodeQuietMs comes along ("decoding NAME: 42%").
DecodeResult decodeTellingStderr(const std::string& source,
                                 const DecodeCache& cache = defaultDecodeCache());

// How long a decode runs before its progress is shown, in milliseconds.
inline constexpr unsigned long kDecodeQuietMs = 500;

}  // namespace korimu
