// The file an analysis run reads.
#pragma once

#include "run/session.h"
#include "wave/wave_source.h"

namespace korimu {

// The document's file, opened again so that the run sees it as it is now; or, when the session's
// caller has just opened it (`fileOpenedForRun`), that open, taken from the session and placed at
// the document's position.
WaveOpenResult openFileForRun(Session& session);

}  // namespace korimu
