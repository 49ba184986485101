// The upload to the own server over passive FTP, FTPS or SFTP (net/RemoteSession.h), or with
// changed-only sending, so that the gallery on the server is never half updated:
// - every file is checked before anything is sent: a file of the list that is missing from the
//   gallery folder ends the upload before it starts;
// - with changed-only sending, a file whose size and content match the record of the last
//   upload to this server and folder (UploadManifest.h) is skipped;
// - the pictures go first, then the picture pages, then the index pages, and a page is not sent
//   once a file it needs has failed;
// - each file is sent under a temporary name and renamed over the old one;
// - a file that fails on the way is tried again (job.retries times, waiting job.retryDelay and
//   twice that each time after), continuing the broken transfer where the server allows it;
// - the record is updated as files arrive, so an interrupted upload sends only what is missing
//   next time;
// - with job.removeStale, the files recorded as sent earlier that the gallery no longer has are
//   removed after the user confirmed the list (UploadPrompts::ConfirmRemoval); nothing else is
//   ever removed.
//
// Threading: as Upload.h. A stop request ends the upload between files and during any wait for
// the server (Stopped); the files sent so far stay, and the record knows them.
#pragma once

#include <string>

#include "publish/Upload.h"

namespace qg {

// The key of the upload record for this job's server and folder.
std::string UploadRecordKey(const UploadJob& job, const std::string& host, const std::string& user);

// The upload described above, with the address, progress and end-of-upload reports of the
// original one. Throws qg::Error when not every file arrived; the message starts with the
// summary and gives the first reason.
UploadOutcome SessionUpload(const UploadJob& job, const std::string& host, const std::string& user,
                            const std::string& password, UploadPrompts& prompts,
                            UploadObserver& observer, const StopToken& stop);

}  // namespace qg
