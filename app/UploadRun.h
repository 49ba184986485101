// The upload page's commands: "&Start File Upload" runs the upload of the last built gallery on
// the worker thread, "&Email your Gallery Link" and a click on the gallery's address. The
// upload's reports reach the page by queued calls; its questions and notes (the empty-list note,
// the hosting service's notice, whether to trust a server's unknown certificate or host key,
// whether to remove the files the gallery no longer has) are answered on the GUI thread while
// the worker waits. A server the user trusts is stored in the preferences; an upload beyond
// active plain FTP ends with a note of what was sent, skipped, retried and failed. One
// upload runs at a time; a stop request is honoured between files and while the worker waits
// for a server.
//
// Threading: every member on the GUI thread.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "project/Preferences.h"
#include "publish/Upload.h"

class QWidget;

namespace qg::app {

class Prompts;
class UploadPage;
class WorkerRunner;

class UploadRun : public QObject {
  Q_OBJECT

 public:
  // What the last gallery build left for the upload: the names it wrote, relative to `folder`.
  struct Built {
    std::vector<std::string> uploadList;
    std::string folder;
  };
  using BuiltSource = std::function<Built()>;

  UploadRun(QWidget* owner, Prompts& prompts, qg::Preferences& prefs, UploadPage& page,
            WorkerRunner& worker, BuiltSource built);
  ~UploadRun() override;

  // Where the upload reads the gallery from (tests point it at a gallery of their own).
  void setBuiltSource(BuiltSource built) { built_ = std::move(built); }

  // "&Start File Upload": nothing while an upload runs.
  void start();
  // Asks the running upload to stop.
  void stop();
  bool running() const { return active_; }
  // The window is closing: false when it may close now; otherwise the running upload is asked to
  // stop and `closeAgain` is called once it has finished.
  bool deferClose(std::function<void()> closeAgain);
  // True after deferClose while the window waits for the upload's end and when it closes again.
  bool closing() const { return closing_; }

  // "&Email your Gallery Link": a mailto address with the subject and body percent-encoded.
  void emailLink();
  // A click on the enabled address label: the gallery's address ("http://" added when it names
  // no scheme).
  void openGalleryLink();

  // The job the next start would run (the settings and the built gallery, copied).
  qg::UploadJob makeJob() const;
  // The hourglass of the file loop (the upload's reports call it).
  void setBusy(bool busy);
  // The user trusted the server showing `fingerprint` (the upload's reports call it).
  void trustServer(const std::string& fingerprint);

 signals:
  // The status line changed to `text` (each "Uploading: <file>" in turn).
  void statusShown(const QString& text);
  // An upload ended (also after an error or a stop); the error display has been shown.
  void uploadFinished();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void onFinished(const QString& error);

  QWidget* owner_;
  Prompts& prompts_;
  qg::Preferences& prefs_;
  UploadPage& page_;
  WorkerRunner& worker_;
  BuiltSource built_;
  bool active_ = false;
  bool busy_ = false;
  bool closing_ = false;
  std::function<void()> closeAgain_;
};

// "mailto:?subject=...&body=..." with both values percent-encoded (UTF-8).
QString GalleryMailUrl(const QString& linkText);
// The address a click on the gallery link opens: "http://" + text when the text has no scheme.
QString GalleryLinkUrl(const QString& linkText);
// The remote folder as the upload uses it: trailing "/" dropped ("gal/" is "gal").
std::string UploadFolderName(std::string folder);
// The questions of an upload beyond active plain FTP, as the window asks them.
QString TrustServerQuestion(const std::string& message, const std::string& fingerprint);
QString RemoveStaleQuestion(const std::vector<std::string>& names);
// "Upload finished: 3 sent, 497 skipped as unchanged, 0 retried, 0 failed."
QString UploadFinishedNote(const qg::UploadSummary& summary);

}  // namespace qg::app
