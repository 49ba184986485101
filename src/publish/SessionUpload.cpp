// The upload over a RemoteSession; see SessionUpload.h.
#include "publish/SessionUpload.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <set>
#include <thread>

#include "core/Error.h"
#include "core/FileRead.h"
#include "net/Digest.h"
#include "net/Socket.h"
#include "publish/GalleryLink.h"
#include "publish/UploadManifest.h"

namespace qg {

namespace {

using Clock = std::chrono::steady_clock;

// How often the record is written while files arrive: often enough that an interrupted upload
// loses little, seldom enough that a large gallery is not slowed by it.
constexpr std::chrono::seconds kRecordSaveInterval{1};

struct LocalFile {
  std::string entry;  // the upload list's name
  std::string path;   // in the gallery folder
  uint64_t size = 0;
  int64_t modifiedNs = 0;
  int phase = 0;  // 0 pictures and other files, 1 picture pages, 2 index pages
};

bool EndsWithHtml(const std::string& name) {
  if (name.size() < 5) return false;
  std::string tail = name.substr(name.size() - 5);
  for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return tail == ".html";
}

// "index.html", "index1.html", "index2.html" ... in the gallery folder itself.
bool IsIndexPage(const std::string& name) {
  if (name.rfind("index", 0) != 0 || !EndsWithHtml(name)) return false;
  const std::string middle = name.substr(5, name.size() - 10);
  return std::all_of(middle.begin(), middle.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int PhaseOf(const std::string& entry) {
  if (!EndsWithHtml(entry)) return 0;
  return IsIndexPage(entry) ? 2 : 1;
}

std::string LocalPath(const std::string& destFolder, const std::string& entry) {
  if (destFolder.empty()) return entry;
  if (destFolder.back() == '/') return destFolder + entry;
  return destFolder + "/" + entry;
}

std::vector<LocalFile> CheckGalleryFiles(const UploadJob& job) {
  std::vector<LocalFile> files;
  std::set<std::string> seen;
  for (const std::string& entry : job.uploadList) {
    if (!seen.insert(entry).second) continue;  // a name listed twice goes once
    LocalFile file;
    file.entry = entry;
    file.path = LocalPath(job.destFolder, entry);
    file.phase = PhaseOf(entry);
    struct stat st {};
    if (::stat(file.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
      throw Error("The gallery file \"" + file.path +
                  "\" is missing; please create the gallery again (Project Step 4). Nothing was "
                  "uploaded.");
    }
    file.size = static_cast<uint64_t>(st.st_size);
    file.modifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    files.push_back(std::move(file));
  }
  return files;
}

std::string ReadGalleryFile(const std::string& path) {
  try {
    return ReadWholeFile(path, kPictureFileCap);
  } catch (const FileReadError& e) {
    throw Error("Cannot open file \"" + path + "\". " + e.reason());
  }
}

// Waits `delay`, or less when a stop is requested.
void Pause(std::chrono::milliseconds delay, const StopToken& stop) {
  const auto end = Clock::now() + delay;
  while (Clock::now() < end) {
    if (stop.StopRequested()) throw net::RemoteStopped();
    std::this_thread::sleep_for(
        std::min<Clock::duration>(end - Clock::now(), std::chrono::milliseconds(50)));
  }
}

// Runs `attempt` (told whether it is a further try) until it succeeds, fails for good or has
// used up the job's retries.
template <typename Attempt>
void WithRetries(const UploadJob& job, const StopToken& stop, UploadSummary& summary,
                 Attempt attempt) {
  std::chrono::milliseconds delay = job.retryDelay;
  for (int tries = 0;; ++tries) {
    try {
      attempt(tries > 0);
      return;
    } catch (const net::RemoteError& e) {
      if (!e.transient() || tries >= job.retries) throw;
    }
    ++summary.retried;
    Pause(delay, stop);
    delay *= 2;
  }
}

std::string KnownHostsFile() {
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.ssh/known_hosts";
}

class Run {
 public:
  Run(const UploadJob& job, const std::string& host, const std::string& user,
      const std::string& password, UploadPrompts& prompts, UploadObserver& observer,
      const StopToken& stop)
      : job_(job), prompts_(prompts), observer_(observer), stop_(stop) {
    server_.transport = job.transport;
    server_.passive = job.passive;
    server_.host = host;
    server_.port = job.port;
    server_.user = user;
    server_.password = password;
    server_.identityFile = job.identityFile;
    server_.folder = job.ftpFolder;
    server_.trustedFingerprint = job.trustedFingerprint;
    server_.knownHostsFile = job.knownHostsFile.empty() ? KnownHostsFile() : job.knownHostsFile;
    server_.timeouts = job.timeouts;
    key_ = UploadRecordKey(job, host, user);
    recordPath_ = job.manifestPath.empty() ? UploadManifestPath(key_) : job.manifestPath;
  }

  UploadOutcome Upload(const std::string& host) {
    observer_.SetAddress(OwnServerGalleryAddress(host, job_.ftpFolder));
    observer_.SetProgressMax(static_cast<int>(job_.uploadList.size()) - 1);
    std::vector<LocalFile> files = CheckGalleryFiles(job_);
    record_ = LoadUploadManifest(recordPath_);
    record_.server = key_;

    std::vector<LocalFile> toSend;
    for (const LocalFile& file : files) {
      if (job_.changedOnly && Unchanged(file)) {
        ++summary_.skipped;
      } else {
        toSend.push_back(file);
      }
    }
    std::stable_sort(toSend.begin(), toSend.end(),
                     [](const LocalFile& a, const LocalFile& b) { return a.phase < b.phase; });
    if (!toSend.empty()) OpenSession();  // failures here leave the page as it was

    observer_.SetBusy(true);
    try {
      const UploadOutcome outcome = SendAll(toSend);
      if (outcome == UploadOutcome::Stopped) {
        End();
        return outcome;
      }
      if (summary_.failed == 0) RemoveStale(files);
    } catch (const net::RemoteStopped&) {
      End();
      return UploadOutcome::Stopped;
    } catch (...) {
      End();
      throw;
    }
    End();
    if (summary_.failed > 0) {
      throw Error("The upload did not complete (" + UploadSummaryText(summary_) + "). " +
                  firstFailure_);
    }
    observer_.Finished(summary_);
    return UploadOutcome::Completed;
  }

 private:
  net::RemoteSession& Session() {
    if (!session_)
      session_ = std::make_unique<net::RemoteSession>(server_, stop_, job_.curlLibrary);
    return *session_;
  }

  // Connects; a server that cannot be verified is offered to the user once.
  void OpenSession() {
    if (opened_) return;
    try {
      WithRetries(job_, stop_, summary_, [&](bool) { Session().Open(); });
    } catch (const net::UntrustedServer& e) {
      if (e.fingerprint().empty() || !prompts_.TrustServer(e.what(), e.fingerprint())) throw;
      server_.trustedFingerprint = e.fingerprint();
      session_.reset();
      WithRetries(job_, stop_, summary_, [&](bool) { Session().Open(); });
      observer_.TrustedServer(e.fingerprint());
    }
    opened_ = true;
  }

  bool Unchanged(const LocalFile& file) {
    const auto found = record_.entries.find(file.entry);
    if (found == record_.entries.end() || found->second.size != file.size) return false;
    if (found->second.modifiedNs == file.modifiedNs) return true;
    // Written again (a new build), perhaps with the same bytes.
    if (net::HexOf(net::Sha256(ReadGalleryFile(file.path))) != found->second.hash) return false;
    found->second.modifiedNs = file.modifiedNs;
    recordChanged_ = true;
    return true;
  }

  UploadOutcome SendAll(const std::vector<LocalFile>& toSend) {
    int position = static_cast<int>(summary_.skipped);
    int failedPhase = -1;
    for (size_t i = 0; i < toSend.size(); ++i) {
      const LocalFile& file = toSend[i];
      if (failedPhase >= 0 && file.phase > failedPhase) {
        // A page must not arrive before the files it shows.
        summary_.failed += toSend.size() - i;
        firstFailure_ += " The pages that need the failed files were not sent.";
        break;
      }
      if (stop_.StopRequested()) {
        SaveRecord();
        return UploadOutcome::Stopped;
      }
      observer_.SetStatus(kStatusUploadingPrefix + file.entry);
      try {
        const std::string content = ReadGalleryFile(file.path);
        WithRetries(job_, stop_, summary_, [&](bool again) {
          // A further try after a broken transfer continues the temporary file.
          Session().Replace(file.entry, content, again);
        });
        ManifestEntry& entry = record_.entries[file.entry];
        entry.hash = net::HexOf(net::Sha256(content));
        entry.size = content.size();
        entry.modifiedNs = file.modifiedNs;
        recordChanged_ = true;
        ++summary_.sent;
      } catch (const net::RemoteStopped&) {
        SaveRecord();
        return UploadOutcome::Stopped;
      } catch (const Error& e) {
        ++summary_.failed;
        if (firstFailure_.empty()) firstFailure_ = e.what();
        failedPhase = file.phase;
        // The record must not claim the old content for a file that may now be the new one.
        if (record_.entries.erase(file.entry) > 0) recordChanged_ = true;
      }
      observer_.SetProgress(position++);  // the file's index among all, as the original shows it
      if (Clock::now() - lastSave_ > kRecordSaveInterval) SaveRecord();
    }
    SaveRecord();
    return UploadOutcome::Completed;
  }

  void RemoveStale(const std::vector<LocalFile>& files) {
    if (!job_.removeStale) return;
    std::set<std::string> current;
    for (const LocalFile& file : files) current.insert(file.entry);
    std::vector<std::string> stale;
    for (const auto& [name, entry] : record_.entries) {
      if (current.count(name) == 0) stale.push_back(name);
    }
    if (stale.empty() || !prompts_.ConfirmRemoval(stale)) return;
    OpenSession();
    for (const std::string& name : stale) {
      if (stop_.StopRequested()) break;
      observer_.SetStatus("Removing: " + name);
      try {
        WithRetries(job_, stop_, summary_, [&](bool) { Session().Remove(name); });
        ++summary_.removed;
        record_.entries.erase(name);
        recordChanged_ = true;
      } catch (const net::RemoteStopped&) {
        throw;
      } catch (const net::RemoteError&) {
        ++summary_.notRemoved;  // kept in the record, so a later upload tries again
      }
    }
    SaveRecord();
  }

  void SaveRecord() {
    lastSave_ = Clock::now();
    if (!recordChanged_) return;
    // An unwritable cache costs only a full upload next time.
    if (SaveUploadManifest(recordPath_, record_)) recordChanged_ = false;
  }

  void End() {
    SaveRecord();
    observer_.SetProgress(0);
    observer_.SetStatus(kStatusReady);
    observer_.EnableLink();
    observer_.SetBusy(false);
  }

  const UploadJob& job_;
  UploadPrompts& prompts_;
  UploadObserver& observer_;
  const StopToken& stop_;
  net::RemoteServer server_;
  std::unique_ptr<net::RemoteSession> session_;
  bool opened_ = false;
  std::string key_;
  std::string recordPath_;
  UploadManifest record_;
  bool recordChanged_ = false;
  Clock::time_point lastSave_ = Clock::now();
  UploadSummary summary_;
  std::string firstFailure_;
};

}  // namespace

std::string UploadRecordKey(const UploadJob& job, const std::string& host,
                            const std::string& user) {
  net::HostPort target;
  try {
    target = net::ParseHostPort(host, net::DefaultPort(job.transport));
  } catch (const Error&) {
    target.host = host;
  }
  if (job.port != 0) target.port = job.port;
  return std::string(net::TransportName(job.transport)) + "://" + user + "@" + target.host + ":" +
         std::to_string(target.port) + "/" + job.ftpFolder;
}

UploadOutcome SessionUpload(const UploadJob& job, const std::string& host, const std::string& user,
                            const std::string& password, UploadPrompts& prompts,
                            UploadObserver& observer, const StopToken& stop) {
  Run run(job, host, user, password, prompts, observer, stop);
  try {
    return run.Upload(host);
  } catch (const net::RemoteStopped&) {
    return UploadOutcome::Stopped;
  }
}

}  // namespace qg
