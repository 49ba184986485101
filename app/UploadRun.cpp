// The upload page's commands; see UploadRun.h.
#include "UploadRun.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "dialogs/HintDialog.h"
#include "net/HttpClient.h"
#include "pages/UploadPage.h"
#include "publish/GalleryLink.h"
#include "support/ErrorDisplay.h"
#include "support/Prompts.h"
#include "support/Text.h"
#include "support/WorkerRunner.h"

namespace qg::app {
namespace {

// Runs `call` on the GUI thread (the thread of `context`) and waits for its answer. The wait
// ends early with `fallback` when the run is asked to stop, so a window that waits for the
// worker to end can never wait for a question that it would have to answer itself.
template <typename T>
T CallOnGui(QObject* context, const qg::StopToken& stop, std::function<T()> call, T fallback) {
  struct State {
    std::mutex mutex;
    std::condition_variable done;
    bool answered = false;
    T value{};
  };
  auto state = std::make_shared<State>();
  QMetaObject::invokeMethod(
      context,
      [state, call = std::move(call)] {
        T value = call();
        const std::lock_guard<std::mutex> lock(state->mutex);
        state->value = std::move(value);
        state->answered = true;
        state->done.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock<std::mutex> lock(state->mutex);
  while (!state->answered) {
    if (stop.StopRequested()) return fallback;
    state->done.wait_for(lock, std::chrono::milliseconds(50));
  }
  return state->value;
}

// The core's questions, answered by the window's prompts on the GUI thread.
class GuiUploadPrompts : public qg::UploadPrompts {
 public:
  GuiUploadPrompts(QObject* context, QWidget* owner, Prompts& prompts, qg::StopToken stop)
      : context_(context), owner_(owner), prompts_(prompts), stop_(std::move(stop)) {}

  bool ServiceRefused(const std::string& message) override {
    QWidget* owner = owner_;
    Prompts* prompts = &prompts_;
    const QString text = ToQ(message);
    return CallOnGui<bool>(
        context_, stop_,
        [owner, prompts, text] {
          bool moreInfo = false;
          RunServiceNotice(owner, *prompts, text, [&moreInfo] { moreInfo = true; });
          return moreInfo;
        },
        false);
  }
  void OpenInBrowser(const std::string& url) override {
    Prompts* prompts = &prompts_;
    const QString address = ToQ(url);
    CallOnGui<bool>(
        context_, stop_, [prompts, address] { return prompts->openUrl(address); }, false);
  }
  void Inform(const std::string& text) override {
    Prompts* prompts = &prompts_;
    const QString note = ToQ(text);
    CallOnGui<bool>(
        context_, stop_,
        [prompts, note] {
          prompts->inform(note);
          return true;
        },
        false);
  }
  bool TrustServer(const std::string& message, const std::string& fingerprint) override {
    return Ask(TrustServerQuestion(message, fingerprint));
  }
  bool ConfirmRemoval(const std::vector<std::string>& names) override {
    return Ask(RemoveStaleQuestion(names));
  }

 private:
  bool Ask(const QString& question) {
    Prompts* prompts = &prompts_;
    return CallOnGui<bool>(
        context_, stop_, [prompts, question] { return prompts->askYesNo(question) == Answer::Yes; },
        false);
  }

  QObject* context_;
  QWidget* owner_;
  Prompts& prompts_;
  qg::StopToken stop_;
};

// The core's reports, queued to the page. A report that arrives after the run object is gone is
// dropped by Qt, since the run is each call's context.
class PageObserver : public qg::UploadObserver {
 public:
  PageObserver(UploadRun* run, UploadPage* page, Prompts* prompts)
      : run_(run), page_(page), prompts_(prompts) {}

  void SetStatus(const std::string& text) override {
    UploadPage* page = page_;
    UploadRun* run = run_;
    const QString q = ToQ(text);
    post([page, run, q] {
      page->lblFTPFile->setText(q);
      emit run->statusShown(q);
    });
  }
  void SetAddress(const std::string& address) override {
    UploadPage* page = page_;
    const QString q = ToQ(address);
    post([page, q] { page->lblURLGallery->setText(q); });
  }
  void SetProgressMax(int maximum) override {
    UploadPage* page = page_;
    // A range of 0..0 would turn the bar into a busy indicator; one file shows as 0 of 1.
    post([page, maximum] { page->pbarUpload->setRange(0, std::max(maximum, 1)); });
  }
  void SetProgress(int position) override {
    UploadPage* page = page_;
    post([page, position] { page->pbarUpload->setValue(position); });
  }
  void SetBusy(bool busy) override {
    UploadRun* run = run_;
    post([run, busy] { run->setBusy(busy); });
  }
  void EnableLink() override {
    UploadPage* page = page_;
    post([page] { page->SetLinkEnabled(true); });
  }
  void TrustedServer(const std::string& fingerprint) override {
    UploadRun* run = run_;
    post([run, fingerprint] { run->trustServer(fingerprint); });
  }
  void Finished(const qg::UploadSummary& summary) override {
    Prompts* prompts = prompts_;
    const QString note = UploadFinishedNote(summary);
    post([prompts, note] { prompts->inform(note); });
  }

 private:
  void post(std::function<void()> call) {
    QMetaObject::invokeMethod(run_, std::move(call), Qt::QueuedConnection);
  }

  UploadRun* run_;
  UploadPage* page_;
  Prompts* prompts_;
};

}  // namespace

QString GalleryMailUrl(const QString& linkText) {
  const QString body = QString::fromUtf8(qg::kGalleryMailBodyPrefix) + linkText;
  return QStringLiteral("mailto:?subject=") +
         QString::fromLatin1(QUrl::toPercentEncoding(QString::fromUtf8(qg::kGalleryMailSubject))) +
         QStringLiteral("&body=") + QString::fromLatin1(QUrl::toPercentEncoding(body));
}

QString GalleryLinkUrl(const QString& linkText) {
  const QString text = linkText.trimmed();
  if (text.contains(QStringLiteral("://"))) return text;
  return QStringLiteral("http://") + text;
}

std::string UploadFolderName(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

QString TrustServerQuestion(const std::string& message, const std::string& fingerprint) {
  return ToQ(message) + QStringLiteral(".\n\nTrust this server? Only a server that shows ") +
         ToQ(fingerprint) +
         QStringLiteral(" will be accepted from now on; answer No unless you know it is yours.");
}

QString RemoveStaleQuestion(const std::vector<std::string>& names) {
  constexpr size_t kShown = 20;
  QString list;
  for (size_t i = 0; i < names.size() && i < kShown; ++i)
    list += QStringLiteral("\n") + ToQ(names[i]);
  if (names.size() > kShown)
    list += QStringLiteral("\n... and %1 more").arg(static_cast<qulonglong>(names.size() - kShown));
  return QStringLiteral("An earlier upload sent these files, which the gallery no longer has:\n") +
         list + QStringLiteral("\n\nRemove them from the server?");
}

QString UploadFinishedNote(const qg::UploadSummary& summary) {
  return QStringLiteral("Upload finished: ") + ToQ(qg::UploadSummaryText(summary)) +
         QStringLiteral(".");
}

UploadRun::UploadRun(QWidget* owner, Prompts& prompts, qg::Preferences& prefs, UploadPage& page,
                     WorkerRunner& worker, BuiltSource built)
    : QObject(nullptr),
      owner_(owner),
      prompts_(prompts),
      prefs_(prefs),
      page_(page),
      worker_(worker),
      built_(std::move(built)) {
  connect(&worker_, &WorkerRunner::finished, this, [this](const QString& error) {
    if (active_) onFinished(error);
  });
  page_.lblURLGallery->installEventFilter(this);
}

UploadRun::~UploadRun() {
  // The worker may still run (the window is going without a close event). Its reports name this
  // object, so it must end before this goes: a stop ends its waits for servers and for answers
  // within about a second.
  if (active_) {
    worker_.stop();
    worker_.wait();
  }
  setBusy(false);
}

qg::UploadJob UploadRun::makeJob() const {
  Built built = built_ ? built_() : Built{};
  qg::UploadJob job = qg::MakeUploadJob(prefs_, std::move(built.uploadList), built.folder);
  job.useService = page_.chkUseCorvaneServer->isChecked();
  // "gal/" and "gal" are the same folder; with the slash every upload after the first would
  // try to make the folder again. The preference keeps what was typed.
  job.ftpFolder = UploadFolderName(job.ftpFolder);
  return job;
}

void UploadRun::start() {
  if (active_ || worker_.running()) return;  // one upload (or build) at a time
  Guarded(prompts_, [&] {
    const qg::UploadJob job = makeJob();
    if (job.uploadList.empty()) {
      prompts_.inform(ToQ(qg::kNoGalleryMessage));
      return;
    }
    QWidget* owner = owner_;
    Prompts* prompts = &prompts_;
    UploadPage* page = &page_;
    active_ = worker_.start(
        [this, job, owner, prompts, page](const qg::StopToken& stop, qg::WorkReporter&) {
          GuiUploadPrompts questions(this, owner, *prompts, stop);
          PageObserver observer(this, page, prompts);
          net::HttpClient http;
          qg::StartFileUpload(job, questions, observer, http, stop);
        });
  });
}

void UploadRun::stop() {
  if (active_) worker_.stop();
}

bool UploadRun::deferClose(std::function<void()> closeAgain) {
  if (!active_) return false;
  closing_ = true;
  closeAgain_ = std::move(closeAgain);
  worker_.stop();
  return true;
}

void UploadRun::onFinished(const QString& error) {
  active_ = false;
  setBusy(false);
  if (!error.isEmpty()) ShowError(prompts_, error);
  emit uploadFinished();
  if (closing_ && closeAgain_) {
    const std::function<void()> closeAgain = std::move(closeAgain_);
    closeAgain_ = nullptr;
    closeAgain();
  }
}

void UploadRun::trustServer(const std::string& fingerprint) { prefs_.sFTPTrustedKey = fingerprint; }

void UploadRun::setBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

void UploadRun::emailLink() {
  Guarded(prompts_, [&] { prompts_.openUrl(GalleryMailUrl(page_.lblURLGallery->text())); });
}

void UploadRun::openGalleryLink() {
  Guarded(prompts_, [&] { prompts_.openUrl(GalleryLinkUrl(page_.lblURLGallery->text())); });
}

bool UploadRun::eventFilter(QObject* watched, QEvent* event) {
  if (watched == page_.lblURLGallery && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
      page_.lblURLGallery->isEnabled()) {
    openGalleryLink();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace qg::app
