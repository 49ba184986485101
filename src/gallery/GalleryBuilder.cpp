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
#include <iterator>
#include <mutex>
#include <new>
#include <optional>
#include <random>
#include <set>
#include <thread>
#include <unordered_map>

#include <sys/stat.h>
#include <unistd.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "core/Error.h"
#include "core/FileRead.h"
#include "core/PathName.h"
#include "gallery/BuildRecord.h"
#include "gallery/ContentHash.h"
#include "gallery/GalleryFiles.h"
#include "gallery/Layout.h"
#include "gallery/OutputPlan.h"
#include "gallery/Pages.h"
#include "gallery/SideStyle.h"
#include "platform/FileLock.h"

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
  std::optional<FileDigest> source;  // the source's bytes when they were read
  // Incremental builds: the file on disk is the one the record says was made from the same
  // source, options and program, so it is kept as it is.
  bool keepThumbnail = false;
  bool keepImage = false;
  bool keepCopy = false;
  std::optional<uint64_t> thumbnailKey;  // what the side's file is made from
  std::optional<uint64_t> imageKey;
  std::string thumbnail;  // the rendered file, empty when none was made
  std::string image;
  std::optional<FileDigest> thumbnailDigest;  // of the rendered files
  std::optional<FileDigest> imageDigest;
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

// Bumped whenever a change of the program changes the bytes it writes for the same source and
// options, so that incremental builds remake what older versions made. The version and a sample
// rendered with the gallery's own options (SideFingerprint) are part of every key as well.
constexpr uint64_t kOutputRevision = 1;

// The bytes that make up a key, hashed as they come.
class KeyHasher {
 public:
  KeyHasher& Add(uint64_t value) {
    unsigned char bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    hasher_.Update(bytes, sizeof bytes);
    return *this;
  }
  KeyHasher& Add(std::string_view text) {
    Add(text.size());
    hasher_.Update(text);
    return *this;
  }
  uint64_t Final() const { return hasher_.Final(); }

 private:
  ContentHasher hasher_;
};

RecordedSource SourceOf(const std::string& path, const FileDigest& digest) {
  return {path, digest.size, digest.mtimeNs, digest.hash};
}

// One build over one snapshot.
class BuildRun {
 public:
  BuildRun(const Project& project, const PictureTools& tools, unsigned jobs, const StopToken& stop,
           const StopSource& ownStop, BuildObserver& observer, const BuildRequest& request)
      : project_(project),
        o_(project_.options),
        tools_(tools),
        jobs_(jobs),
        stop_(stop),
        ownStop_(ownStop),
        observer_(observer),
        request_(request) {}

  BuildResult Run();

 private:
  void Refuse(BuildResult& result, std::string message) {
    result.outcome = BuildOutcome::Refused;
    result.message = std::move(message);
  }
  bool Verifying() const { return request_.kind == BuildKind::Verify; }
  bool Incremental() const { return request_.kind == BuildKind::Incremental; }
  bool ResizesDisplayImages() const { return o_.chkCreateImages && o_.blImageResize; }
  bool CopiesDisplayImages() const { return o_.chkCreateImages && !o_.blImageResize; }
  bool NeedsRendering() const { return o_.chkCreateThumbs || ResizesDisplayImages(); }
  std::string ThumbnailName(const PictureRecord& picture) const {
    return NormalGalleryPath(ThumbnailSubfolder(o_) + ThumbnailFileName(picture, o_));
  }
  std::string ImageName(const PictureRecord& picture) const {
    return NormalGalleryPath(ImageSubfolder(o_) + DisplayImageFileName(picture, o_));
  }

  void StartRecord();
  void FinishRecord(BuildResult& result);
  void RemoveLeftOvers(BuildResult& result);
  void ListLeftOvers(BuildResult& result);
  uint64_t SideFingerprint(Side side, bool addShadow) const;
  uint64_t RenderKey(Side side, const FileDigest& source, TargetSize size) const;
  bool Reusable(const std::string& name, std::optional<uint64_t> key) const;

  // The three ways a file reaches the gallery; each writes, compares or keeps as the build kind
  // asks, and records what the folder then holds.
  void PlaceRendered(const std::string& rendered, const std::string& name,
                     const std::optional<FileDigest>& digest, std::optional<uint64_t> key,
                     const std::optional<RecordedSource>& source);
  void PlaceCopy(const std::string& from, const std::string& name,
                 std::optional<FileDigest> sourceDigest);
  void PlaceBytes(const std::string& name, const std::string& bytes);
  void Keep(const std::string& name, const std::optional<RecordedSource>& source);
  void Confirm(const std::string& name, RecordedFile file);
  // Verifying: whether this write of `name` is the last one, the one the folder must hold.
  bool LastWrite(const std::string& name) {
    const auto claims = writesLeft_.find(name);
    return claims == writesLeft_.end() || --claims->second <= 0;
  }
  void Differs(GalleryDifference::Kind kind, const std::string& name) {
    differences_.push_back({kind, name});
  }

  void RenderPicture(size_t index, Rendered& out) const;
  void CommitPicture(size_t index, const Rendered& rendered);
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
  const BuildRequest request_;

  std::string dest_;  // the destination folder with a trailing "/"
  std::optional<ScratchFolder> scratch_;
  UploadList uploads_;
  bool stopped_ = false;

  // The record as the build found it, and what this build adds to it.
  std::optional<BuildRecord> found_;
  BuildRecord record_;
  FileUpdateLock recordLock_;
  std::unordered_map<std::string, int> claims_;      // planned name -> how many writes
  std::unordered_map<std::string, int> writesLeft_;  // verifying: writes still to come
  std::set<std::string> planned_;
  std::set<std::string> newFolders_;  // planned folders that did not exist at the start
  uint64_t thumbFingerprint_ = 0;
  uint64_t imageFingerprint_ = 0;
  // Names, not writes: a name written twice (pictures or button copies sharing it) is one file.
  std::set<std::string> written_;    // written (verifying: compared)
  std::set<std::string> unchanged_;  // found right and left untouched
  std::vector<GalleryDifference> differences_;
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

  bool recordStarted = false;
  try {
    if (!Verifying()) {
      try {
        CreateFolder(dest_);
      } catch (const Error& e) {
        throw BuildFailure{e.what()};
      }
    }
    StartRecord();
    recordStarted = true;
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
        const std::string name = IndexPageName(page);
        PlaceBytes(name, IndexPageText(project_, page, pageCount, thumbSize, uploads_));
        uploads_.Add(name);
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
  if (recordStarted) {
    try {
      if (Verifying()) {
        ListLeftOvers(result);
      } else {
        if (result.outcome == BuildOutcome::Built && (Incremental() || request_.clearLeftOvers))
          RemoveLeftOvers(result);
        FinishRecord(result);
      }
    } catch (const std::exception& e) {
      result.recordProblem = e.what();
    }
  }
  result.stopped = stopped_;
  result.uploadList = uploads_.entries();
  result.filesWritten = written_.size();
  result.filesUnchanged = static_cast<size_t>(
      std::count_if(unchanged_.begin(), unchanged_.end(),
                    [&](const std::string& name) { return !written_.count(name); }));
  result.differences = std::move(differences_);
  return result;
}

// Reads the record this build goes by and, before anything is written, records as pending every
// planned file and folder that it does not know yet, so that a build ended by force leaves them
// accounted for.
void BuildRun::StartRecord() {
  for (std::string& name : PlanGalleryOutputNames(project_)) {
    ++claims_[name];
    planned_.insert(std::move(name));
  }
  if (Verifying()) {
    writesLeft_ = claims_;
    found_ = ReadBuildRecord(dest_);
    return;
  }

  record_.gallery = ResolvedGalleryFolder(dest_);
  struct stat st;
  if (::stat(record_.gallery.c_str(), &st) == 0) {
    record_.device = st.st_dev;
    record_.inode = st.st_ino;
  }
  // Builds into one folder take turns; the lock needs the record's folder.
  const std::string recordPath = BuildRecordPath(record_.gallery);
  std::error_code ec;
  fs::create_directories(fs::path(recordPath).parent_path(), ec);
  recordLock_ = FileUpdateLock::Acquire(recordPath);
  found_ = ReadBuildRecord(dest_);  // as the last build holding the lock left it
  if (found_) {
    record_.files = found_->files;
    record_.folders = found_->folders;
  }

  BuildRecord intent = record_;
  for (const std::string& name : planned_) {
    if (!IsGalleryRelativePath(name, /*folder=*/false) || intent.files.count(name) != 0) continue;
    RecordedFile file;
    file.pending = true;
    struct stat existing;
    file.existedBefore = ::lstat((dest_ + name).c_str(), &existing) == 0;
    intent.files.emplace(name, file);
  }
  for (const std::string& folder : PlanGalleryFolders(project_)) {
    struct stat existing;
    if (::lstat((dest_ + folder).c_str(), &existing) == 0) continue;
    newFolders_.insert(folder);
    intent.folders.insert(folder);
  }
  if (!found_ || intent != *found_) WriteBuildRecord(intent);
}

// Writes what the folder now holds: the entries found, updated by what this build wrote or kept,
// without files that are gone; the folders found and made, without those that are gone.
void BuildRun::FinishRecord(BuildResult& result) {
  for (auto it = record_.files.begin(); it != record_.files.end();) {
    struct stat st;
    if (::lstat((dest_ + it->first).c_str(), &st) != 0) {
      it = record_.files.erase(it);
    } else {
      ++it;
    }
  }
  record_.folders.insert(newFolders_.begin(), newFolders_.end());
  for (auto it = record_.folders.begin(); it != record_.folders.end();) {
    struct stat st;
    if (::lstat((dest_ + *it).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      it = record_.folders.erase(it);
    } else {
      ++it;
    }
  }
  if (found_ && record_ == *found_) return;
  std::string why;
  if (!WriteBuildRecord(record_, &why)) {
    result.recordProblem = Format(
        "The build record of \"%s\" could not be written (%s); the next incremental "
        "build will make every file again.",
        dest_.c_str(), why.c_str());
    return;
  }
  PruneBuildRecords();  // the records of galleries deleted since
}

// Removes the files earlier builds wrote that this one does not, and then the folders they made
// that are left empty. A file no longer planned that does not hold what we wrote belongs to the
// user now: it stays and leaves the record.
void BuildRun::RemoveLeftOvers(BuildResult& result) {
  std::set<std::string> stillThere;  // could not be removed: still ours
  for (const std::string& name : LeftOverFiles(record_, planned_, dest_)) {
    if (::unlink((dest_ + name).c_str()) == 0) {
      ++result.filesRemoved;
    } else {
      stillThere.insert(name);
    }
  }
  for (auto it = record_.files.begin(); it != record_.files.end();) {
    const bool drop = planned_.count(it->first) == 0 && stillThere.count(it->first) == 0;
    it = drop ? record_.files.erase(it) : std::next(it);
  }
  std::set<std::string> keptFolders;
  for (const std::string& folder : PlanGalleryFolders(project_)) keptFolders.insert(folder);
  std::vector<std::string> folders(record_.folders.begin(), record_.folders.end());
  folders.insert(folders.end(), newFolders_.begin(), newFolders_.end());
  // Deepest first, so a parent is empty when its turn comes.
  std::sort(folders.begin(), folders.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  for (const std::string& folder : folders) {
    if (keptFolders.count(folder) == 0) ::rmdir((dest_ + folder).c_str());  // only if empty
  }
}

void BuildRun::ListLeftOvers(BuildResult& result) {
  (void)result;
  if (!found_) return;
  for (const std::string& name : LeftOverFiles(*found_, planned_, dest_))
    Differs(GalleryDifference::Kind::LeftOver, name);
}

// A small picture taken through the side's finishing step with the gallery's own options: when
// the program (or the JPEG library under it) makes other bytes than before, so does this sample.
uint64_t BuildRun::SideFingerprint(Side side, bool addShadow) const {
  Picture sample(40, 30);
  for (size_t i = 0; i < sample.pixels.size(); ++i)
    sample.pixels[i] = static_cast<unsigned char>((i * 37 + (i / 120) * 11) & 0xFF);
  const std::string path =
      scratch_->path() + (side == Side::Thumb ? "sample-thumb.jpg" : "sample-image.jpg");
  try {
    tools_.finish(std::move(sample), path, addShadow, o_, side);
    if (const std::optional<FileDigest> digest = DigestFile(path)) return digest->hash;
  } catch (...) {
  }
  // Nothing to compare with: no earlier file counts as made by this program.
  return std::random_device{}() ^ (uint64_t{std::random_device{}()} << 32);
}

// Every field of the style, so that any change of the look remakes the side's pictures. A field
// added to ImageStyle belongs here too (the size check is a reminder).
static_assert(sizeof(ImageStyle) == 40, "a new field of ImageStyle must join the render key");
void AddStyle(KeyHasher& key, const ImageStyle& style) {
  key.Add(style.shadow).Add(static_cast<uint64_t>(style.borderWidth));
  key.Add(static_cast<uint32_t>(style.borderColour)).Add(static_cast<uint32_t>(style.shadowColour));
  key.Add(static_cast<uint64_t>(style.shadowOffsetH))
      .Add(static_cast<uint64_t>(style.shadowOffsetV));
  key.Add(static_cast<uint64_t>(style.shadowBlur));
  key.Add(static_cast<uint32_t>(style.background));
  key.Add(static_cast<uint64_t>(style.quality)).Add(style.progressive);
}

uint64_t BuildRun::RenderKey(Side side, const FileDigest& source, TargetSize size) const {
  KeyHasher key;
  key.Add(kOutputRevision).Add(QUILLON_VERSION);
  key.Add(source.hash).Add(source.size);
  key.Add(size.width).Add(size.height);
  if (side == Side::Thumb)
    key.Add("thumb").Add(thumbFingerprint_);
  else
    key.Add("image").Add(imageFingerprint_);
  AddStyle(key, SideStyle(o_, side));
  return key.Final();
}

// Whether the file `name` on disk is the one the record says was made under `key`. Only for
// files a single output of this build writes: a name two pictures share is written by both, in
// list order, exactly as in a full build.
bool BuildRun::Reusable(const std::string& name, std::optional<uint64_t> key) const {
  if (!Incremental() || !key || !found_) return false;
  const auto claims = claims_.find(name);
  if (claims == claims_.end() || claims->second != 1) return false;
  const auto entry = found_->files.find(name);
  if (entry == found_->files.end() || entry->second.pending || entry->second.key != *key)
    return false;
  const std::optional<FileDigest> digest = DigestFile(dest_ + name);
  return digest && digest->size == entry->second.size && digest->hash == entry->second.hash;
}

// Decodes the source once and renders the outputs the options ask for into the scratch folder:
// one pass over the source for both sizes, then each side finished into its file. Errors land
// where a serial build meets them: a source that cannot be decoded fails the first output asked
// for, and a failed thumbnail leaves the display image unmade. Before that it reads the source's
// bytes for the record, and an incremental build looks whether the files on disk can stay. Runs
// on a worker; writes nothing outside the scratch folder.
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
  if (!out.exists) return;

  const std::string& source = picture.FilenameAndPath;
  // Read before the decode: a source changed after this shows as changed to the next build.
  out.source = DigestFile(source);
  if (out.source && !Verifying()) {
    if (wantThumb) {
      out.thumbnailKey = RenderKey(Side::Thumb, *out.source, thumbSize);
      out.keepThumbnail = Reusable(ThumbnailName(picture), out.thumbnailKey);
    }
    if (wantImage) {
      out.imageKey = RenderKey(Side::Image, *out.source, imageSize);
      out.keepImage = Reusable(ImageName(picture), out.imageKey);
    }
    if (CopiesDisplayImages() && Incremental()) {
      const std::string name = ImageName(picture);
      const auto claims = claims_.find(name);
      if (claims != claims_.end() && claims->second == 1) {
        const std::optional<FileDigest> onDisk = DigestFile(dest_ + name);
        out.keepCopy =
            onDisk && onDisk->size == out.source->size && onDisk->hash == out.source->hash;
      }
    }
  }
  const bool renderThumb = wantThumb && !out.keepThumbnail;
  const bool renderImage = wantImage && !out.keepImage;
  if (!renderThumb && !renderImage) return;

  std::vector<Picture> both;
  if (renderThumb && renderImage) {
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
  if (renderThumb) {
    try {
      tools_.finish(resized(0, thumbSize), stem + "t.jpg", o_.AddShadow, o_, Side::Thumb);
      out.thumbnail = stem + "t.jpg";
      out.thumbnailDigest = DigestFile(out.thumbnail);
    } catch (...) {
      out.thumbnailError = std::current_exception();
      return;  // a serial build ends here
    }
  }
  if (renderImage) {
    try {
      tools_.finish(resized(1, imageSize), stem + "i.jpg", o_.AddShadowImage, o_, Side::Image);
      out.image = stem + "i.jpg";
      out.imageDigest = DigestFile(out.image);
    } catch (...) {
      out.imageError = std::current_exception();
    }
  }
}

void BuildRun::Confirm(const std::string& name, RecordedFile file) {
  if (Verifying() || !IsGalleryRelativePath(name, /*folder=*/false)) return;
  record_.files[name] = std::move(file);
}

void BuildRun::Keep(const std::string& name, const std::optional<RecordedSource>& source) {
  unchanged_.insert(name);
  if (Verifying() || !found_) return;
  const auto entry = found_->files.find(name);
  if (entry == found_->files.end()) return;
  RecordedFile file = entry->second;
  file.source = source;
  Confirm(name, std::move(file));
}

void BuildRun::PlaceRendered(const std::string& rendered, const std::string& name,
                             const std::optional<FileDigest>& digest, std::optional<uint64_t> key,
                             const std::optional<RecordedSource>& source) {
  const std::string target = dest_ + name;
  if (Verifying() || Incremental()) {
    const std::optional<FileDigest> onDisk = DigestFile(target);
    const bool same =
        onDisk && digest && onDisk->size == digest->size && onDisk->hash == digest->hash;
    if (Verifying()) {
      // Only the last write of a name decides what the folder must hold, and counts.
      if (!LastWrite(name)) return;
      written_.insert(name);
      if (!same)
        Differs(onDisk ? GalleryDifference::Kind::Differs : GalleryDifference::Kind::Missing, name);
      return;
    }
    if (same) {
      unchanged_.insert(name);
      Confirm(
          name,
          {.size = digest->size, .hash = digest->hash, .key = key.value_or(0), .source = source});
      return;
    }
  }
  InstallFile(rendered, target);
  written_.insert(name);
  RecordedFile file;
  if (digest && key) {
    file = {.size = digest->size, .hash = digest->hash, .key = *key, .source = source};
  } else {
    file.pending = true;  // ours, though what it holds is not known
  }
  Confirm(name, std::move(file));
}

void BuildRun::PlaceCopy(const std::string& from, const std::string& name,
                         std::optional<FileDigest> sourceDigest) {
  const std::string target = dest_ + name;
  if (!sourceDigest) sourceDigest = DigestFile(from);
  const auto fileOf = [&] {
    return RecordedFile{.size = sourceDigest->size,
                        .hash = sourceDigest->hash,
                        .key = sourceDigest->hash,
                        .source = SourceOf(from, *sourceDigest)};
  };
  if (Verifying() || Incremental()) {
    const std::optional<FileDigest> onDisk = DigestFile(target);
    const bool same = onDisk && sourceDigest && onDisk->size == sourceDigest->size &&
                      onDisk->hash == sourceDigest->hash;
    if (Verifying()) {
      if (!LastWrite(name)) return;
      written_.insert(name);
      if (sourceDigest && !same)
        Differs(onDisk ? GalleryDifference::Kind::Differs : GalleryDifference::Kind::Missing, name);
      return;
    }
    if (same) {
      unchanged_.insert(name);
      Confirm(name, fileOf());
      return;
    }
  }
  if (!CopyFileAtomically(from, target)) return;  // a failed copy is not reported
  written_.insert(name);
  if (sourceDigest) {
    Confirm(name, fileOf());
  } else {
    RecordedFile file;
    file.pending = true;
    Confirm(name, file);
  }
}

void BuildRun::PlaceBytes(const std::string& name, const std::string& bytes) {
  const std::string target = dest_ + name;
  const uint64_t hash = HashBytes(bytes);
  if (Verifying() || Incremental()) {
    bool exists = false, same = false;
    try {
      // Read no more than the page: a larger file differs.
      same = ReadWholeFile(target, bytes.size()) == bytes;
      exists = true;
    } catch (const FileReadError& e) {
      exists = e.problem() != FileReadProblem::Missing;
    }
    if (Verifying()) {
      if (!LastWrite(name)) return;
      written_.insert(name);
      if (!same)
        Differs(exists ? GalleryDifference::Kind::Differs : GalleryDifference::Kind::Missing, name);
      return;
    }
    if (same) {
      unchanged_.insert(name);
      Confirm(name, {.size = bytes.size(), .hash = hash, .key = hash});
      return;
    }
  }
  WriteWholeFile(target, bytes);
  written_.insert(name);
  Confirm(name, {.size = bytes.size(), .hash = hash, .key = hash});
}

// The visible half of one picture, in the order a serial build makes it.
void BuildRun::CommitPicture(size_t index, const Rendered& rendered) {
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
  if (rendered.failure) FailPicture(index, MessageOf(rendered.failure));
  if (!rendered.exists) return;  // no files for a missing source; the index still shows its cell

  std::optional<RecordedSource> source;
  if (rendered.source) source = SourceOf(picture.FilenameAndPath, *rendered.source);
  try {
    const std::string thumbFolder = dest_ + ThumbnailSubfolder(o_);
    if (!Verifying()) CreateFolder(thumbFolder);
    observer_.OnText("Creating thumb " + picture.FileName);
    if (o_.chkCreateThumbs) {
      if (rendered.keepThumbnail) {
        Keep(ThumbnailName(picture), source);
      } else {
        if (rendered.thumbnailError) FailPicture(index, MessageOf(rendered.thumbnailError));
        PlaceRendered(rendered.thumbnail, ThumbnailName(picture), rendered.thumbnailDigest,
                      rendered.thumbnailKey, source);
      }
    }

    observer_.OnText("Creating image " + picture.FileName);
    const std::string imageFolder = dest_ + ImageSubfolder(o_);
    if (!Verifying()) CreateFolder(imageFolder);
    if (o_.chkCreateImages) {
      if (o_.blImageResize) {
        if (rendered.keepImage) {
          Keep(ImageName(picture), source);
        } else {
          if (rendered.imageError) FailPicture(index, MessageOf(rendered.imageError));
          PlaceRendered(rendered.image, ImageName(picture), rendered.imageDigest, rendered.imageKey,
                        source);
        }
      } else if (rendered.keepCopy) {
        Keep(ImageName(picture), source);
      } else {
        PlaceCopy(picture.FilenameAndPath, ImageName(picture), rendered.source);
      }
    }

    observer_.OnText("Creating page " + picture.FileName);
    const std::string page = PicturePageName(picture, o_);
    PlaceBytes(page, PicturePageText(project_, index, uploads_));
    uploads_.Add(page);
  } catch (const Error& e) {
    FailPicture(index, e.what());
  }
}

void BuildRun::PictureLoop() {
  const size_t count = project_.pictures.size();
  const size_t last = count - 1;
  const bool render = NeedsRendering();
  if (render) scratch_.emplace();
  if (render && !Verifying()) {
    if (o_.chkCreateThumbs) thumbFingerprint_ = SideFingerprint(Side::Thumb, o_.AddShadow);
    if (ResizesDisplayImages()) imageFingerprint_ = SideFingerprint(Side::Image, o_.AddShadowImage);
  }

  std::optional<RenderPool> pool;
  if (jobs_ > 1) {
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
    const Rendered* rendered = &local;
    if (pool) {
      pool->CommitPosition(i);
      rendered = &pool->WaitFor(i);
    } else {
      try {
        RenderPicture(i, local);
      } catch (...) {
        local.failure = std::current_exception();
      }
    }
    try {
      CommitPicture(i, *rendered);
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
    PlaceCopy(*background, name, std::nullopt);  // a failed copy is not reported
    uploads_.Add(name);
  }
  if (!o_.blNavShowImages) return;
  for (int item = 0; item < NavItemCount; ++item) {
    const std::string& button = o_.sNavImage[item];
    if (!IsFile(button)) continue;
    const std::string name = FileNameOf(button);
    PlaceCopy(button, name, std::nullopt);
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

BuildResult GalleryBuilder::Build(const Project& snapshot, BuildObserver* observer, StopToken stop,
                                  BuildRequest request) {
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
    BuildRun run(snapshot, tools_, jobs_, stop, ownStop, watcher, request);
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
