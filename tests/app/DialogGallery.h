// Every dialog of app/dialogs with representative content, for the screenshots and the layout
// checks. The values the dialogs edit live as long as the process.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/AboutDialog.h"
#include "dialogs/HintDialog.h"
#include "dialogs/ImageTitlesDialog.h"
#include "dialogs/IndexTitlesDialog.h"
#include "dialogs/NavigationDialog.h"
#include "dialogs/ProjectInfoDialog.h"
#include "dialogs/QualityDialog.h"
#include "dialogs/ShadowDialog.h"
#include "platform/Folders.h"
#include "project/ProjectFile.h"
#include "support/ScriptedPrompts.h"

namespace qg::app::test {

struct GalleryEntry {
  std::string name;
  std::function<std::unique_ptr<QDialog>()> make;
};

inline std::vector<GalleryEntry> DialogGallery() {
  static ScriptedPrompts prompts;
  static qg::Preferences prefs;
  static qg::Project project = [] {
    qg::Project p;
    qg::NewProjectDefaults(p, prefs);
    p.FProjectFileName = "/home/ada/Pictures/Summer holiday 2026.tnp";
    p.options.editIndexCaption = "Summer holiday 2026";
    p.options.editDestFolder = "/home/ada/Documents/Quillon Gallery/Summer holiday 2026";
    p.pictures.resize(48);
    // A button picture of our own for the navigation dialog's preview.
    static QTemporaryDir buttons;
    QImage button(72, 24, QImage::Format_RGB888);
    button.fill(QColor(40, 80, 150));
    QPainter painter(&button);
    painter.setPen(Qt::white);
    painter.drawText(button.rect(), Qt::AlignCenter, QStringLiteral("Home"));
    painter.end();
    const QString path = buttons.filePath(QStringLiteral("bhome.png"));
    button.save(path);
    p.options.sNavImage[qg::NavHome] = path.toStdString();
    return p;
  }();
  auto hint = [](bool notice) {
    auto d = std::make_unique<HintDialog>();
    if (notice) {
      d->setParagraph1("Maintenance until 6 pm");
      d->setAction(QString::fromLatin1(kServiceNoticeAction));
      d->setAlwaysShowVisible(false);
    } else {
      d->setParagraph1(QString::fromLatin1(kFirstUseParagraph1));
      d->setParagraph2(QString::fromLatin1(kFirstUseParagraph2));
      d->setAction(QString::fromLatin1(kFirstUseAction));
    }
    return d;
  };
  return {
      {"HintDialog", [=] { return hint(false); }},
      {"HintDialog_ServiceNotice", [=] { return hint(true); }},
      {"ProjectInfoDialog", [] { return std::make_unique<ProjectInfoDialog>(nullptr, project); }},
      {"AboutDialog", [] { return std::make_unique<AboutDialog>(); }},
      {"IndexTitlesDialog",
       [] { return std::make_unique<IndexTitlesDialog>(nullptr, project.options); }},
      {"IndexTitlesDialog_ThumbTitle",
       [] {
         auto d = std::make_unique<IndexTitlesDialog>(nullptr, project.options);
         d->selectTab(TitlesTab::Title);
         return d;
       }},
      {"IndexTitlesDialog_AltText",
       [] {
         auto d = std::make_unique<IndexTitlesDialog>(nullptr, project.options);
         d->selectTab(TitlesTab::AltText);
         return d;
       }},
      {"ImageTitlesDialog",
       [] { return std::make_unique<ImageTitlesDialog>(nullptr, project.options); }},
      {"NavigationDialog",
       [] { return std::make_unique<NavigationDialog>(nullptr, prompts, project.options, prefs); }},
      {"QualityDialog",
       [] { return std::make_unique<QualityDialog>(nullptr, project.options, qg::Side::Thumb); }},
      {"ShadowDialog",
       [] {
         return std::make_unique<ShadowDialog>(nullptr, prompts, project.options, qg::Side::Thumb);
       }},
  };
}

}  // namespace qg::app::test
