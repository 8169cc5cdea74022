// tembra-tool skin check | render: holds a skin folder to what the program
// needs, and shows a layout without running the player.
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QImageReader>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Utf.h"
#include "skin/CListUI.h"
#include "skin/COptionUI.h"
#include "skin/CTabLayoutUI.h"
#include "skin/CWindowWnd.h"
#include "skin/SkinCombo.h"
#include "skin/SkinLabel.h"
#include "skin/SkinLayout.h"
#include "skin/SkinRequirements.h"
#include "tools/Commands.h"

namespace tembra::tools {

namespace {

const char* kSkinUsage =
    "usage: tembra-tool skin check DIR\n"
    "       tembra-tool skin render DIR LAYOUT OUT.png [--size WxH] [--sample] [--show MS]\n";

// Qt needs an application object for image plugins and widgets; without a
// display the offscreen platform serves.
std::unique_ptr<QApplication> makeApp(bool onScreen) {
  if (!onScreen && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "tembra-tool";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QApplication>(argc, argv);
}

std::string kindName(SkinControlKind k) { return toUtf8(SkinSchema::type(k).tag); }

bool imageReadable(const std::string& folder, const std::u16string& name) {
  QImageReader reader(QDir(QString::fromStdString(folder)).filePath(QString::fromStdU16String(name)));
  return reader.canRead();
}

int check(const std::string& folder) {
  QDir dir(QString::fromStdString(folder));
  if (!dir.exists()) {
    std::fprintf(stderr, "tembra-tool: cannot read the skin folder %s\n", folder.c_str());
    return 2;
  }
  auto app = makeApp(false);
  std::vector<std::string> problems;
  std::vector<std::string> files;
  for (const SkinRequiredFile& f : SkinRequirements::files()) files.emplace_back(f.fileName);
  for (const QString& f : dir.entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name)) {
    const std::string name = f.toStdString();
    if (std::find(files.begin(), files.end(), name) == files.end()) files.push_back(name);
  }
  std::map<std::u16string, std::string> images;  // image -> first file that uses it
  int layouts = 0;
  for (const std::string& file : files) {
    SkinLayout layout = SkinLayout::loadFile(folder, file);
    const bool required = std::any_of(SkinRequirements::files().begin(), SkinRequirements::files().end(),
                                      [&](const SkinRequiredFile& r) { return r.fileName == file; });
    // A file of the folder whose root is not a Window is a fragment for
    // Include; the layouts that include it report its problems.
    if (!required && !layout.ok() && layout.root().children.empty() && layout.fonts().empty()) continue;
    ++layouts;
    for (const SkinProblem& p : layout.problems()) problems.push_back(p.toString());
    if (!layout.ok()) {
      problems.push_back(file + ": cannot be used as a window layout");
      continue;
    }
    for (const std::u16string& image : layout.images()) images.emplace(image, file);
    for (const SkinRequiredFile& r : SkinRequirements::files()) {
      if (r.fileName != file) continue;
      for (const SkinRequiredControl& c : r.controls) {
        const SkinNode* node = layout.find(c.name);
        if (node == nullptr) {
          problems.push_back(file + ": lacks the control '" + toUtf8(c.name) + "'");
          continue;
        }
        if (!c.kinds.empty() && std::find(c.kinds.begin(), c.kinds.end(), node->kind) == c.kinds.end()) {
          std::string want;
          for (SkinControlKind k : c.kinds) want += (want.empty() ? "" : " or ") + kindName(k);
          problems.push_back(file + ": control '" + toUtf8(c.name) + "' is a " + kindName(node->kind) +
                             ", the program needs a " + want);
        }
      }
    }
  }
  for (std::u16string_view image : SkinRequirements::images()) images.emplace(std::u16string(image), "");
  for (const auto& [image, file] : images) {
    if (imageReadable(folder, image)) continue;
    problems.push_back((file.empty() ? std::string("skin") : file) + ": missing image " + toUtf8(image));
  }
  for (const std::string& p : problems) std::fprintf(stderr, "%s\n", p.c_str());
  std::printf("%s: %d layout files, %zu images, %zu problems\n", folder.c_str(), layouts, images.size(),
              problems.size());
  return problems.empty() ? 0 : 1;
}

// Rows in the scripts the program shows, so a render shows how names and
// guide titles look, and the marks the program sets.
void fillSamples(CWindowWnd& w) {
  const QStringList channels = {
      QStringLiteral("News 24"),       QStringLiteral("Новости"),        QStringLiteral("Кино Плюс"),
      QStringLiteral("समाचार भारती"),   QStringLiteral("新闻频道"),        QStringLiteral("Sport HD"),
      QStringLiteral("音楽ライブ"),     QStringLiteral("Documentary"),    QStringLiteral("Детский мир"),
      QStringLiteral("Cinema Classic"), QStringLiteral("Weather"),        QStringLiteral("旅游卫视"),
      QStringLiteral("संगीत"),          QStringLiteral("Music Hits"),     QStringLiteral("Nature & Travel"),
  };
  const QStringList titles = {
      QStringLiteral("Evening News"),           QStringLiteral("Вечерние новости"),   QStringLiteral("Фильм: Москва слезам"),
      QStringLiteral("क्रिकेट लाइव"),             QStringLiteral("晚间新闻联播"),        QStringLiteral("Football: Final"),
      QStringLiteral("夜のコンサート"),           QStringLiteral("Deep Oceans"),        QStringLiteral("Мультфильмы"),
      QStringLiteral("Casablanca"),             QStringLiteral("Forecast"),           QStringLiteral("美丽中国"),
      QStringLiteral("राग संध्या"),               QStringLiteral("Top 40"),             QStringLiteral("Wild Alps"),
  };
  if (SkinCombo* combo = w.findCombo(QStringLiteral("channeltype"))) {
    for (const QString& g : {QStringLiteral("All channels"), QStringLiteral("News"), QStringLiteral("Movies")}) {
      combo->add(CListLabelElementUI::Make(g, g, g, 29, 220));
    }
    combo->select(0);
  }
  if (CListUI* list = w.findList(QStringLiteral("channellist"))) {
    list->setHeaderHeight(0);
    for (int i = 0; i < channels.size(); ++i) {
      list->add(CListLabelElementUI::Make(QString::number(100 + i), channels[i], channels[i], 29, 220));
    }
    list->setItemMarker(1, QStringLiteral("frame_channel_item_play.bmp"), QRect(QPoint(0, 0), QPoint(98, 28)));
    list->select(4);
  }
  auto fillGuide = [&](const QString& name, int startHour, bool withChannel) {
    CListUI* list = w.findList(name);
    if (list == nullptr) return;
    for (int i = 0; i < titles.size(); ++i) {
      const QString time = QStringLiteral("%1:%2").arg((startHour + i / 2) % 24, 2, 10, QLatin1Char('0'))
                               .arg(i % 2 ? 30 : 0, 2, 10, QLatin1Char('0'));
      const QString text = withChannel ? channels[i] + u' ' + time + u' ' + titles[i] : time + u' ' + titles[i];
      list->add(CListLabelElementUI::Make(withChannel ? QString::number(100 + i) : QString(), text, text, 29, 220));
    }
  };
  fillGuide(QStringLiteral("playinglist"), 20, true);
  fillGuide(QStringLiteral("playlist"), 21, true);
  fillGuide(QStringLiteral("firstdaylist"), 6, false);
  fillGuide(QStringLiteral("seconddaylist"), 6, false);
  fillGuide(QStringLiteral("thirddaylist"), 6, false);
  if (CListUI* playing = w.findList(QStringLiteral("playinglist"))) {
    playing->setItemMarker(1, QStringLiteral("frame_listitem_playing_bk.png"), QRect(QPoint(3, 8), QPoint(9, 14)));
  }
  if (SkinLabel* name = w.findText(QStringLiteral("channelname"))) name->setText(channels[1]);
}

int render(const std::vector<std::string>& args) {
  if (args.size() < 3) {
    std::fputs(kSkinUsage, stderr);
    return 2;
  }
  const std::string folder = args[0], layoutFile = args[1], out = args[2];
  int width = 0, height = 0, showMs = -1;
  bool sample = false;
  for (size_t i = 3; i < args.size(); ++i) {
    if (args[i] == "--size" && i + 1 < args.size()) {
      if (std::sscanf(args[++i].c_str(), "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0 ||
          width > 10000 || height > 10000) {
        std::fprintf(stderr, "tembra-tool: bad size '%s' (want WxH)\n", args[i].c_str());
        return 2;
      }
    } else if (args[i] == "--sample") {
      sample = true;
    } else if (args[i] == "--show" && i + 1 < args.size()) {
      showMs = std::atoi(args[++i].c_str());
      if (showMs < 0 || showMs > 600000) {
        std::fprintf(stderr, "tembra-tool: bad --show milliseconds '%s'\n", args[i].c_str());
        return 2;
      }
    } else {
      std::fputs(kSkinUsage, stderr);
      return 2;
    }
  }
  auto app = makeApp(showMs >= 0);
  CWindowWnd::setResourcePath(QString::fromStdString(folder));
  CWindowWnd w;
  if (!w.loadLayout(QString::fromStdString(layoutFile))) {
    for (const SkinProblem& p : w.problems()) std::fprintf(stderr, "%s\n", p.toString().c_str());
    std::fprintf(stderr, "tembra-tool: cannot build a window from %s\n", layoutFile.c_str());
    return 1;
  }
  if (width > 0) w.resize(width, height);
  if (sample) fillSamples(w);
  QImage image;
  if (showMs >= 0) {
    w.move(40, 40);
    w.show();
    w.raise();
    QEventLoop loop;
    QTimer::singleShot(showMs, &loop, &QEventLoop::quit);
    loop.exec();
    // Read back from the screen: what the display server shows, not what the
    // widgets would paint.
    const QRect g = w.geometry();
    image = w.screen()->grabWindow(0, g.x(), g.y(), g.width(), g.height()).toImage();
  } else {
    image = w.grab().toImage();
  }
  for (const SkinProblem& p : w.problems()) std::fprintf(stderr, "%s\n", p.toString().c_str());
  if (image.isNull() || !image.save(QString::fromStdString(out), "PNG")) {
    std::fprintf(stderr, "tembra-tool: cannot write %s\n", out.c_str());
    return 2;
  }
  std::printf("%s: %dx%d\n", out.c_str(), image.width(), image.height());
  return 0;
}

}  // namespace

int runSkin(const std::vector<std::string>& args) {
  if (args.size() == 2 && args[0] == "check") return check(args[1]);
  if (!args.empty() && args[0] == "render") return render(std::vector<std::string>(args.begin() + 1, args.end()));
  std::fputs(kSkinUsage, stderr);
  return 2;
}

}  // namespace tembra::tools
