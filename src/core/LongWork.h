// The one shape of a long operation (the gallery build, the upload) as the window and the
// command line run it: the work runs on one thread, reports a progress position and a phase
// text as it goes, and reads a stop token that belongs to this run only. Whoever runs the work
// learns that it finished when the call returns (or throws).
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "core/StopToken.h"

namespace qg {

// Called on the thread that runs the work.
class WorkReporter {
 public:
  virtual ~WorkReporter() = default;
  // Position from 0 to `maximum`.
  virtual void Progress(size_t position, size_t maximum) = 0;
  // What the work is doing now ("Creating thumb ...", "Uploading: ...", "Ready").
  virtual void Phase(const std::string& text) = 0;
};

// A long operation. It should look at `stop` between its items and end early when asked.
using LongWork = std::function<void(const StopToken& stop, WorkReporter& reporter)>;

}  // namespace qg
