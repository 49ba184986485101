// The upload as the upload step runs it over passive FTP with changed-only sending, for
// bench/upload/run.sh: upload_bench HOST USER PASSWORD FOLDER GALLERY LIST RECORD, where LIST
// holds the upload list, one entry a line, and RECORD is the upload record to use. Prints the
// summary on stderr; exit 0 when every file arrived.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "net/HttpClient.h"
#include "publish/Upload.h"

namespace {

class Quiet : public qg::UploadPrompts {
 public:
  void Inform(const std::string&) override {}
  bool ServiceRefused(const std::string&) override { return false; }
  void OpenInBrowser(const std::string&) override {}
};

class Summary : public qg::UploadObserver {
 public:
  void Finished(const qg::UploadSummary& summary) override {
    std::fprintf(stderr, "%s\n", qg::UploadSummaryText(summary).c_str());
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 8) {
    std::fprintf(stderr, "usage: upload_bench HOST USER PASSWORD FOLDER GALLERY LIST RECORD\n");
    return 2;
  }
  qg::UploadJob job;
  job.useService = false;
  job.transport = qg::net::Transport::Ftp;
  job.passive = true;
  job.changedOnly = true;
  job.ftpHost = argv[1];
  job.ftpUser = argv[2];
  job.ftpPass = argv[3];
  job.ftpFolder = argv[4];
  job.destFolder = argv[5];
  std::ifstream list(argv[6]);
  for (std::string line; std::getline(list, line);) {
    if (!line.empty()) job.uploadList.push_back(line);
  }
  job.manifestPath = argv[7];
  Quiet prompts;
  Summary observer;
  qg::net::HttpClient http;
  try {
    const qg::UploadOutcome outcome = qg::StartFileUpload(job, prompts, observer, http);
    return outcome == qg::UploadOutcome::Completed ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "upload_bench: %s\n", e.what());
    return 1;
  }
}
