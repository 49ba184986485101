// The build driver. The picture loop is split in two halves:
//
// - rendering (decode the source once, make the thumbnail and the resized display image into
//   private temporary files) may run ahead on worker threads, at most a few pictures beyond the
//   one being committed, so memory grows with the number of workers and not with the gallery;
// - committing (folders, moving the rendered files into place, the unresized copy, the page, the
//   upload entries, progress) runs on the building thread strictly in list order.
//
// A serial build stops at the first error, and at a stop request it jumps to the last picture.
// Because nothing a worker does is visible until its picture is committed, both behave exactly as
// in a serial build: files rendered for pictures that are never committed are discarded with the
// temporary folder. No picture's source is an output of the build (such a build is refused before
// it starts, see OutputPlan.h), so rendering ahead reads exactly what a serial build would read.
#include "gallery/GalleryBuilder.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <mutex>
#include <new>
#include <optional>
#include <thread>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "core/Error.h"
#include "core/PathName.h"
#include "gallery/GalleryFiles.h"
#include "gallery/Layout.h"
#include "gallery/OutputPlan.h"
#include "gallery/Pages.h"

namespace fs = std::filesystem;

namespace qg {

const char kNoPicturesMessage[] =
    "Please add some pictures before creating the gallery (Project Step 2).";

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);
constexpr int32_t kMaxGrid = 100;  // the largest grid the options offer
constexpr char kOutOfMemory[] = "there is not enough memory to make its gallery files";
constexpr char kOutOfMemoryForBuild[] = "There is not enough memory to create the gallery.";

bool IsFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(path, ec);
}

std::string MessageOf(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown error";
  }
}

// Thrown inside a build to end it with a message for the user.
struct BuildFailure {
  std::string message;
};

void CreateFolder(const std::string& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) return;
  fs::create_directories(path, ec);
  if (ec)
    throw Error(Format("Cannot create the folder \"%s\": %s", path.c_str(), ec.message().c_str()));
}

// What rendering one picture produced. Errors are kept as thrown and worded on the building
// thread, so that a worker short of memory has nothing left to allocate.
struct Rendered {
  bool exists = false;
  std::string thumbnail;  // the rendered file, empty when none was made
  std::string image;
  std::exception_ptr thumbnailError;  // why the thumbnail (or the decode it needed) failed
  std::exception_ptr imageError;
  std::exception_ptr failure;  // rendering itself failed before it reached either side
};

// Worker threads rendering pictures ahead of the commit position. Pictures are claimed in list
// order, at most `window` beyond the picture being committed.
class RenderPool {
 public:
  using Work = std::function<void(size_t index, Rendered& out)>;

  RenderPool(unsigned workers, size_t count, size_t window, Work work)
      : count_(count), window_(window), work_(std::move(work)), slots_(count) {
    threads_.reserve(workers);
    for (unsigned w = 0; w < workers; ++w) threads_.emplace_back([this] { Run(); });
  }

  ~RenderPool() {
    {
      std::lock_guard lock(mutex_);
      closing_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
  }

  // Picture `index` is the one being committed; every picture before it is committed. After a
  // stop the commit position jumps to the last picture and the ones in between are abandoned.
  void CommitPosition(size_t index) {
    {
      std::lock_guard lock(mutex_);
      if (index > commit_ + 1) abandonedBefore_ = index;
      commit_ = index;
    }
    wake_.notify_all();
  }

  Rendered& WaitFor(size_t index) {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return slots_[index].state == State::Done; });
    return slots_[index].result;
  }

 private:
  enum class State { Waiting, Claimed, Done };
  struct Slot {
    State state = State::Waiting;
    Rendered result;
  };

  // The next picture to render, or kNone while there is none to take now.
  size_t Claimable() const {
    if (abandonedBefore_ != kNone) {
      // After a stop only the last picture still matters.
      const size_t last = count_ - 1;
      return slots_[last].state == State::Waiting ? last : kNone;
    }
    if (next_ >= count_ || next_ >= commit_ + window_) return kNone;
    return next_;
  }

  void Run() {
    std::unique_lock lock(mutex_);
    while (true) {
      wake_.wait(lock, [&] { return closing_ || Claimable() != kNone; });
      if (closing_) return;
      const size_t index = Claimable();
      slots_[index].state = State::Claimed;
      if (index == next_) ++next_;
      lock.unlock();
      Rendered result;
      try {
        work_(index, result);
      } catch (...) {
        // Ends the build when this picture is committed, as on the building thread.
        result.failure = std::current_exception();
      }
      lock.lock();
      slots_[index].result = std::move(result);
      slots_[index].state = State::Done;
      done_.notify_all();
    }
  }

  const size_t count_;
  const size_t window_;
  const Work work_;

  std::mutex mutex_;
  std::condition_variable wake_;  // workers: something became claimable, or closing
  std::condition_variable done_;  // committer: a picture is rendered
  std::vector<Slot> slots_;
  size_t next_ = 0;
  size_t commit_ = 0;
  size_t abandonedBefore_ = kNone;
  bool closing_ = false;
  std::vector<std::thread> threads_;
};

// One build over one snapshot.
class BuildRun {
 public:
  BuildRun(const Project& project, const PictureTools& tools, unsigned jobs, const StopToken& stop,
           const StopSource& ownStop, BuildObserver& observer)
      : project_(project),
        o_(project_.options),
        tools_(tools),
        jobs_(jobs),
        stop_(stop),
        ownStop_(ownStop),
        observer_(observer) {}

  BuildResult Run();

 private:
  void Refuse(BuildResult& result, std::string message) {
    result.outcome = BuildOutcome::Refused;
    result.message = std::move(message);
  }
  bool ResizesDisplayImages() const { return o_.chkCreateImages && o_.blImageResize; }
  bool NeedsRendering() const { return o_.chkCreateThumbs || ResizesDisplayImages(); }
  void RenderPicture(size_t index, Rendered& out) const;
  void CommitPicture(size_t index, const Rendered* rendered);
  void PictureLoop();
  void CopyExtras();
  [[noreturn]] void FailPicture(size_t index, const std::string& message) const {
    const PictureRecord& picture = project_.pictures[index];
    throw BuildFailure{Format("Picture %zu (%s): %s", index + 1, picture.FilenameAndPath.c_str(),
                              message.c_str())};
  }

  const Project project_;  // the snapshot
  const GalleryOptions& o_;
  const PictureTools& tools_;
  const unsigned jobs_;
  const StopToken stop_;      // the caller's stop request for this run
  const StopSource ownStop_;  // RequestStop()'s, for this run
  BuildObserver& observer_;

  std::string dest_;  // the destination folder with a trailing "/"
  std::optional<ScratchFolder> scratch_;
  UploadList uploads_;
  bool stopped_ = false;
};

BuildResult BuildRun::Run() {
  BuildResult result;
  const size_t count = project_.pictures.size();
  if (count == 0) {
    result.outcome = BuildOutcome::NoPictures;
    result.message = kNoPicturesMessage;
    return result;
  }
  if (o_.spinColumns < 1 || o_.spinRows < 1 || o_.spinColumns > kMaxGrid ||
      o_.spinRows > kMaxGrid) {
    Refuse(result, Format("The index pages need between 1 and %d columns and rows; the options "
                          "give %d columns and %d rows. Please correct them on the Index Page tab.",
                          kMaxGrid, o_.spinColumns, o_.spinRows));
    return result;
  }
  if (o_.editDestFolder.empty()) {
    Refuse(result, "Please choose the folder to write the gallery into (Target Folders tab).");
    return result;
  }
  dest_ = o_.editDestFolder;
  if (dest_.back() != '/') dest_ += '/';
  result.destFolder = dest_;
  // Nothing is written when a name would leave the gallery, a copied "picture" is none, or an
  // output would replace one of the build's own sources.
  for (std::string reason : {CheckOutputNames(project_), CheckExtraPictures(o_)}) {
    if (!reason.empty()) {
      Refuse(result, std::move(reason));
      return result;
    }
  }
  if (std::string reason = CheckSourcesAreKept(project_, dest_); !reason.empty()) {
    Refuse(result, std::move(reason));
    return result;
  }

  try {
    try {
      CreateFolder(dest_);
    } catch (const Error& e) {
      throw BuildFailure{e.what()};
    }
    PictureLoop();
    observer_.OnText("Ready");
    observer_.OnProgress(0, count - 1);

    const size_t pageSize = static_cast<size_t>(o_.spinColumns) * static_cast<size_t>(o_.spinRows);
    const size_t pageCount = (count + pageSize - 1) / pageSize;
    const ThumbSizeFn thumbSize = [this](const PictureRecord& picture) {
      try {
        return tools_.thumbnailSize(picture.ImageSize, o_);
      } catch (...) {
        const size_t index = static_cast<size_t>(&picture - project_.pictures.data());
        FailPicture(index, MessageOf(std::current_exception()));
      }
    };
    for (size_t page = 1; page <= pageCount; ++page) {
      try {
        WriteIndexPage(project_, dest_, page, pageCount, thumbSize, uploads_);
      } catch (const Error& e) {
        throw BuildFailure{e.what()};
      }
    }
    result.outcome = BuildOutcome::Built;
    result.pageCount = pageCount;
  } catch (const BuildFailure& failure) {
    result.outcome = BuildOutcome::Failed;
    result.message = failure.message;
  } catch (const std::bad_alloc&) {
    result.outcome = BuildOutcome::Failed;
    result.message = kOutOfMemoryForBuild;
  } catch (...) {
    result.outcome = BuildOutcome::Failed;
    result.message = MessageOf(std::current_exception());
  }
  result.stopped = stopped_;
  result.uploadList = uploads_.entries();
  return result;
}

// Decodes the source once and renders the outputs the options ask for into the scratch folder:
// one pass over the source for both sizes, then each side finished into its file. Errors land
// where a serial build meets them: a source that cannot be decoded fails the first output asked
// for, and a failed thumbnail leaves the display image unmade. Runs on a worker; touches nothing
// outside the scratch folder.
void BuildRun::RenderPicture(size_t index, Rendered& out) const {
  const PictureRecord& picture = project_.pictures[index];
  const bool wantThumb = o_.chkCreateThumbs;
  const bool wantImage = ResizesDisplayImages();
  TargetSize thumbSize, imageSize;
  try {
    thumbSize = tools_.thumbnailSize(picture.ImageSize, o_);
    if (wantImage) imageSize = tools_.displayImageSize(picture.ImageSize, o_);
  } catch (...) {
    return;  // the commit computes the sizes again and reports the error in its place
  }
  if (!IsPlainFileName(picture.FileName)) return;  // the commit reports it
  out.exists = IsFile(picture.FilenameAndPath);
  if (!out.exists || (!wantThumb && !wantImage)) return;

  const std::string& source = picture.FilenameAndPath;
  std::vector<Picture> both;
  if (wantThumb && wantImage) {
    try {
      both = tools_.resample(source, {thumbSize, imageSize});
    } catch (...) {
      // Taken again one side at a time below, so that the error is the one of the side that
      // meets it (only a picture that fails is decoded twice).
      both.clear();
    }
    if (both.size() != 2) both.clear();
  }
  // The resampled picture of one side: from the shared pass, or on its own.
  auto resized = [&](size_t side, TargetSize size) {
    if (!both.empty()) return std::move(both[side]);
    std::vector<Picture> one = tools_.resample(source, {size});
    if (one.size() != 1) throw Error("The picture could not be resized");
    return std::move(one[0]);
  };
  const std::string stem = scratch_->path() + std::to_string(index);
  if (wantThumb) {
    try {
      tools_.finish(resized(0, thumbSize), stem + "t.jpg", o_.AddShadow, o_, Side::Thumb);
      out.thumbnail = stem + "t.jpg";
    } catch (...) {
      out.thumbnailError = std::current_exception();
      return;  // a serial build ends here
    }
  }
  if (wantImage) {
    try {
      tools_.finish(resized(1, imageSize), stem + "i.jpg", o_.AddShadowImage, o_, Side::Image);
      out.image = stem + "i.jpg";
    } catch (...) {
      out.imageError = std::current_exception();
    }
  }
}

// The visible half of one picture, in the order a serial build makes it.
void BuildRun::CommitPicture(size_t index, const Rendered* rendered) {
  const PictureRecord& picture = project_.pictures[index];
  try {
    // The thumbnail size is always needed (the index cells show it); the display image's only
    // when one is resized, so a picture far too tall for the display width does not end a build
    // that copies its source unchanged.
    tools_.thumbnailSize(picture.ImageSize, o_);
    if (ResizesDisplayImages()) tools_.displayImageSize(picture.ImageSize, o_);
  } catch (...) {
    FailPicture(index, MessageOf(std::current_exception()));
  }
  if (!IsPlainFileName(picture.FileName)) {
    // Refused before the build starts; kept so that no path can place output anywhere.
    FailPicture(index,
                Format("the file name \"%s\" is not a plain file name", picture.FileName.c_str()));
  }
  if (rendered != nullptr && rendered->failure) {
    FailPicture(index, MessageOf(rendered->failure));
  }
  const bool exists = rendered ? rendered->exists : IsFile(picture.FilenameAndPath);
  if (!exists) return;  // no files for a missing source; the index still shows its cell

  try {
    const std::string thumbFolder = dest_ + ThumbnailSubfolder(o_);
    CreateFolder(thumbFolder);
    observer_.OnText("Creating thumb " + picture.FileName);
    if (o_.chkCreateThumbs) {
      if (rendered->thumbnailError) FailPicture(index, MessageOf(rendered->thumbnailError));
      InstallFile(rendered->thumbnail, thumbFolder + ThumbnailFileName(picture, o_));
    }

    observer_.OnText("Creating image " + picture.FileName);
    const std::string imageFolder = dest_ + ImageSubfolder(o_);
    CreateFolder(imageFolder);
    if (o_.chkCreateImages) {
      const std::string target = imageFolder + DisplayImageFileName(picture, o_);
      if (o_.blImageResize) {
        if (rendered->imageError) FailPicture(index, MessageOf(rendered->imageError));
        InstallFile(rendered->image, target);
      } else {
        CopyFileAtomically(picture.FilenameAndPath, target);  // a failed copy is not reported
      }
    }

    observer_.OnText("Creating page " + picture.FileName);
    WriteImagePage(project_, dest_, index, uploads_);
  } catch (const Error& e) {
    FailPicture(index, e.what());
  }
}

void BuildRun::PictureLoop() {
  const size_t count = project_.pictures.size();
  const size_t last = count - 1;
  const bool render = NeedsRendering();
  if (render) scratch_.emplace();

  std::optional<RenderPool> pool;
  if (render && jobs_ > 1) {
    pool.emplace(jobs_, count, /*window=*/size_t{2} * jobs_,
                 [this](size_t index, Rendered& out) { RenderPicture(index, out); });
  }

  for (size_t i = 0; i < count; ++i) {
    observer_.OnProgress(i, last);
    if ((stop_.StopRequested() || ownStop_.StopRequested()) && i != last) {
      i = last;
      stopped_ = true;
    }
    Rendered local;
    const Rendered* rendered = nullptr;
    if (pool) {
      pool->CommitPosition(i);
      rendered = &pool->WaitFor(i);
    } else if (render) {
      try {
        RenderPicture(i, local);
      } catch (...) {
        local.failure = std::current_exception();
      }
      rendered = &local;
    }
    try {
      CommitPicture(i, rendered);
    } catch (const BuildFailure&) {
      throw;
    } catch (...) {
      FailPicture(i, MessageOf(std::current_exception()));  // out of memory, for one
    }
  }
  pool.reset();  // joins the workers before the scratch folder goes
  scratch_.reset();
  CopyExtras();
}

// The background pictures and the navigation buttons, straight into the destination.
void BuildRun::CopyExtras() {
  for (const std::string* background : {&o_.editBackgroundAPic, &o_.editBackgroundBPic}) {
    if (background->empty()) continue;
    const std::string name = FileNameOf(*background);
    CopyFileAtomically(*background, dest_ + name);  // a failed copy is not reported
    uploads_.Add(name);
  }
  if (!o_.blNavShowImages) return;
  for (int item = 0; item < NavItemCount; ++item) {
    const std::string& button = o_.sNavImage[item];
    if (!IsFile(button)) continue;
    const std::string name = FileNameOf(button);
    CopyFileAtomically(button, dest_ + name);
    uploads_.Add(name);
  }
}

class NoObserver : public BuildObserver {};

// A build allocates and frees a few buffers of tens of megabytes per picture (the decoded source,
// the working pictures). Left to itself the allocator maps each one afresh and the kernel zeroes
// and faults in every page again, which costs a quarter of the build's processor time. Keeping
// such blocks in the heap lets the next picture reuse the same memory; peak memory stays what
// the workers hold at once.
void KeepPictureBuffersForReuse() {
#if defined(__GLIBC__)
  static std::once_flag once;
  std::call_once(once, [] {
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
  });
#endif
}

}  // namespace

GalleryBuilder::GalleryBuilder(unsigned jobs, PictureTools tools)
    : jobs_(jobs != 0 ? jobs : std::max(1u, std::thread::hardware_concurrency())),
      tools_(std::move(tools)) {}

GalleryBuilder::~GalleryBuilder() = default;

BuildResult GalleryBuilder::Build(const Project& snapshot, BuildObserver* observer,
                                  StopToken stop) {
  KeepPictureBuffersForReuse();
  NoObserver quiet;
  BuildObserver& watcher = observer ? *observer : quiet;
  // RequestStop() reaches this run only: a request left from an earlier run is not seen.
  const StopSource ownStop;
  {
    std::lock_guard lock(runningMutex_);
    running_ = ownStop;
  }
  BuildResult result;
  try {
    BuildRun run(snapshot, tools_, jobs_, stop, ownStop, watcher);
    result = run.Run();
  } catch (const std::bad_alloc&) {
    result.outcome = BuildOutcome::Failed;
    result.message = kOutOfMemoryForBuild;
  } catch (const std::exception& e) {
    // Only resource exhaustion gets here (the snapshot copy, the scratch folder, threads).
    result.outcome = BuildOutcome::Failed;
    result.message = e.what();
  }
  {
    std::lock_guard lock(runningMutex_);
    running_.reset();
  }
  watcher.OnFinished(result);
  return result;
}

void GalleryBuilder::RequestStop() {
  std::lock_guard lock(runningMutex_);
  if (running_) running_->Stop();
}

}  // namespace qg
