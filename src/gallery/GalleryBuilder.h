// The gallery build: from a snapshot of the project to the finished gallery in the destination
// folder. Per picture in list order it makes the thumbnail, the display image (resized, or the
// source copied unchanged) and the picture page; then it copies the background and navigation
// button pictures, and finally writes the index pages. It keeps the upload list of the files the
// gallery needs on the server.
//
// Threading contract
// - Build() runs the whole build on the calling thread (the window calls it on a worker thread of
//   its own, the command line on its main thread) and returns when the build has ended. One
//   GalleryBuilder runs one build at a time; it is reusable afterwards, also after a failure.
// - With more than one job, Build() starts that many worker threads which decode and render
//   pictures ahead into private temporary files; they are joined before Build() returns. Every
//   visible effect happens on the calling thread, in list order: folders, outputs moved into
//   place, copies, pages, upload entries and every observer call. The files written are therefore
//   the same, byte for byte, for every job count, and the same after a stop or an error: a
//   picture that a serial build would not have reached leaves no file behind.
// - Each run has its own stop request: the caller makes a StopSource for the run and passes its
//   token to Build(), so a request made before Build() starts is honoured by that run and one
//   left from an earlier run is never seen. StopSource::Stop() and RequestStop() (which stops the
//   run in progress, if any) may be called from any thread, also from inside an observer call.
//   The build reads the request at the start of each picture: it then handles the last picture
//   of the list, makes the copies and writes all index pages, as when stopping between pictures.
// - Before anything is written the build checks the output names, the background and button
//   pictures and that no output lands on one of its own sources (see OutputPlan.h); a build that
//   fails a check is Refused and writes nothing. Every file is written under a temporary name
//   and renamed into place when complete (see GalleryFiles.h).
// - An error on a worker, running out of memory included, ends the build as Failed with a
//   message when its picture is committed, exactly as the same error on the building thread.
// - Observer calls are made on the thread that called Build(); they must not call Build().
// - The snapshot is copied at the start; the caller's project may change during the build.
// - Every build but a verification keeps the gallery's build record (BuildRecord.h) up to date:
//   before it writes a file it has no entry for, it records the file as pending; when it ends,
//   also after a stop or a failure, the record names exactly what was written and what earlier
//   builds wrote and is still there. Builds into one folder wait for each other (a lock beside
//   the record).
// - An incremental build makes the same files, byte for byte, as a full build into an empty
//   folder. It renders a picture only when the record does not show that file on disk as made
//   from the same source bytes, options and program; pages and copies are compared with the
//   files on disk and written only when they differ. Skipping decisions made ahead on workers
//   only ever concern files that a single output of the build writes, so they cannot be undone
//   by an earlier picture's commit.
// - The first build tells the C library's allocator to keep large blocks for reuse (a process-wide
//   setting), so that picture buffers are not mapped and faulted in anew for every picture.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <mutex>
#include <optional>

#include "core/Picture.h"
#include "core/StopToken.h"
#include "imaging/Pipeline.h"
#include "project/Project.h"

namespace qg {

// How a build ended.
enum class BuildOutcome {
  Built,       // the gallery was written (possibly after a stop)
  NoPictures,  // the picture list is empty: nothing was written
  Refused,     // the options cannot make a gallery (no destination, an empty grid)
  Failed,      // an error ended the build part-way
};

// What a build does with the files already in the destination folder.
enum class BuildKind {
  Full,         // makes every file again
  Incremental,  // remakes what changed, removes what earlier builds wrote and this one does not
  Verify,       // makes every file in a scratch folder and compares: writes nothing
};

struct BuildRequest {
  BuildKind kind = BuildKind::Full;
  // A full build also removes what earlier builds wrote and this one does not ("Clear target
  // folder(s)"); an incremental build always does. Only files still as we wrote them go.
  bool clearLeftOvers = false;
};

// A file of the destination folder that is not what a build would make (BuildKind::Verify).
struct GalleryDifference {
  enum class Kind { Missing, Differs, LeftOver };
  Kind kind = Kind::Differs;
  std::string path;  // relative to the destination folder

  friend bool operator==(const GalleryDifference&, const GalleryDifference&) = default;
};

struct BuildResult {
  BuildOutcome outcome = BuildOutcome::Failed;
  bool stopped = false;                        // a stop request shortened the picture loop
  std::string message;                         // for every outcome but Built: what to tell the user
  std::string destFolder;                      // the destination folder, ending in "/"
  size_t pageCount = 0;                        // index pages written
  std::vector<std::string> uploadList;         // relative to destFolder, in upload-list order
  size_t filesWritten = 0;                     // files written (or, verifying, compared)
  size_t filesUnchanged = 0;                   // incremental: files already right, left untouched
  size_t filesRemoved = 0;                     // left-over files of earlier builds removed
  std::vector<GalleryDifference> differences;  // verify: in build order, then left-overs
  // The build record could not be written; the build itself is complete. For a warning.
  std::string recordProblem;
};

// Progress of a build, called on the building thread in list order.
class BuildObserver {
 public:
  virtual ~BuildObserver() = default;
  // The progress position: `position` from 0 to `maximum` (the picture count less one).
  virtual void OnProgress(size_t position, size_t maximum) { (void)position, (void)maximum; }
  // "Creating thumb <file name>", "Creating image ...", "Creating page ...", "Ready".
  virtual void OnText(const std::string& text) { (void)text; }
  // The build ended with the result (every outcome, failures included).
  virtual void OnFinished(const BuildResult& result) { (void)result; }
};

// The imaging steps the build calls, so that tests can watch or replace them. Each must be safe
// to call from several threads at once, each call on its own pictures. A picture is decoded once
// for all its outputs: `resample` takes the source to every size asked for in one pass, and
// `finish` makes one output file of each resampled picture.
struct PictureTools {
  std::function<TargetSize(const std::string& sizeText, const GalleryOptions&)> thumbnailSize;
  std::function<TargetSize(const std::string& sizeText, const GalleryOptions&)> displayImageSize;
  // Decodes the source file and resamples it to each of `sizes`, in that order. A file that
  // cannot be decoded throws the decoder's own message, the one adding the picture shows.
  std::function<std::vector<Picture>(const std::string& sourcePath,
                                     const std::vector<TargetSize>& sizes)>
      resample;
  // Border, drop shadow (when `addShadow` is set) and the JPEG file of one side.
  std::function<void(Picture resized, const std::string& outputPath, bool addShadow,
                     const GalleryOptions&, Side)>
      finish;

  // The imaging pipeline: JPEG sources streamed row by row into the resampler, other formats
  // through the codecs' decoder.
  static PictureTools Standard();
};

// "Please add some pictures before creating the gallery (Project Step 2)."
extern const char kNoPicturesMessage[];

class GalleryBuilder {
 public:
  // `jobs` workers decode and render pictures (0: one per processor core; 1: everything on the
  // building thread).
  explicit GalleryBuilder(unsigned jobs = 0, PictureTools tools = PictureTools::Standard());
  ~GalleryBuilder();
  GalleryBuilder(const GalleryBuilder&) = delete;
  GalleryBuilder& operator=(const GalleryBuilder&) = delete;

  BuildResult Build(const Project& snapshot, BuildObserver* observer = nullptr, StopToken stop = {},
                    BuildRequest request = {});
  // Stops the run in progress, if there is one; a convenience for callers without a StopSource.
  void RequestStop();

  unsigned jobs() const { return jobs_; }

 private:
  unsigned jobs_;
  PictureTools tools_;
  std::mutex runningMutex_;
  std::optional<StopSource> running_;  // the stop request of the run in progress
};

}  // namespace qg
