#include "player/PlayerMenu.h"

#include <QActionGroup>
#include <QMenu>

namespace tembra {

namespace {

// The video's own dark look. Set on the menu itself: as a child of the
// video it would otherwise take the backdrop's style, dark text on dark.
const char* kMenuStyle =
    "QMenu { background-color: #1b1f27; color: #e8eaed; border: 1px solid #2f3541; padding: 4px 0;"
    " font-size: 13px; }"
    "QMenu::item { padding: 6px 28px 6px 26px; background: transparent; }"
    "QMenu::item:selected { background-color: #3d8bfd; color: #ffffff; }"
    "QMenu::item:disabled { color: #7a808c; }"
    "QMenu::separator { height: 1px; background: #2f3541; margin: 4px 8px; }"
    "QMenu::indicator { width: 14px; height: 14px; left: 6px; }";

QAction* addChoice(QMenu* menu, QActionGroup* group, const QString& text, const QString& name, bool checked,
                   std::function<void()> chosen) {
  QAction* action = menu->addAction(text);
  action->setObjectName(name);
  action->setCheckable(true);
  action->setChecked(checked);
  group->addAction(action);
  QObject::connect(action, &QAction::triggered, menu, [chosen = std::move(chosen)] {
    if (chosen) chosen();
  });
  return action;
}

QString labelOf(const MediaTrack& track) { return QString::fromStdString(TrackList::Label(track)); }

}  // namespace

QMenu* PlayerMenu::Build(const TrackList& tracks, PlayerSettings::Aspect aspect, int zoom, Choices choices,
                         QWidget* parent) {
  auto* menu = new QMenu(parent);
  menu->setObjectName(QStringLiteral("playermenu"));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->setStyleSheet(QString::fromLatin1(kMenuStyle));

  QMenu* audio = menu->addMenu(QObject::tr("&Audio"));
  audio->setObjectName(QStringLiteral("audiomenu"));
  auto* audioGroup = new QActionGroup(audio);
  for (const MediaTrack& t : tracks.ofKind(MediaTrack::Kind::Audio))
    addChoice(audio, audioGroup, labelOf(t), QStringLiteral("audio-%1").arg(t.id), t.selected,
              [f = choices.audio, id = t.id] { if (f) f(id); });
  if (audio->isEmpty()) audio->addAction(QObject::tr("No audio"))->setEnabled(false);

  QMenu* subtitles = menu->addMenu(QObject::tr("&Subtitles"));
  subtitles->setObjectName(QStringLiteral("subtitlemenu"));
  auto* subtitleGroup = new QActionGroup(subtitles);
  const std::vector<MediaTrack> subs = tracks.ofKind(MediaTrack::Kind::Subtitle);
  addChoice(subtitles, subtitleGroup, QObject::tr("Off"), QStringLiteral("subtitle-0"),
            tracks.selected(MediaTrack::Kind::Subtitle) == 0, [f = choices.subtitle] { if (f) f(0); });
  for (const MediaTrack& t : subs)
    addChoice(subtitles, subtitleGroup, labelOf(t), QStringLiteral("subtitle-%1").arg(t.id), t.selected,
              [f = choices.subtitle, id = t.id] { if (f) f(id); });

  menu->addSeparator();
  QMenu* shape = menu->addMenu(QObject::tr("Aspect &ratio"));
  shape->setObjectName(QStringLiteral("aspectmenu"));
  auto* shapeGroup = new QActionGroup(shape);
  struct Shape {
    PlayerSettings::Aspect aspect;
    const char* text;
    const char* name;
  };
  const Shape shapes[] = {{PlayerSettings::Aspect::Auto, "Auto", "aspect-auto"},
                          {PlayerSettings::Aspect::Wide, "16:9", "aspect-16-9"},
                          {PlayerSettings::Aspect::Standard, "4:3", "aspect-4-3"},
                          {PlayerSettings::Aspect::Fill, "Fill", "aspect-fill"}};
  for (const Shape& s : shapes)
    addChoice(shape, shapeGroup, QObject::tr(s.text), QString::fromLatin1(s.name), s.aspect == aspect,
              [f = choices.aspect, a = s.aspect] { if (f) f(a); });

  QMenu* zoomMenu = menu->addMenu(QObject::tr("&Zoom"));
  zoomMenu->setObjectName(QStringLiteral("zoommenu"));
  auto* zoomGroup = new QActionGroup(zoomMenu);
  for (int step : PlayerSettings::kZoomSteps)
    addChoice(zoomMenu, zoomGroup, QStringLiteral("%1%").arg(step), QStringLiteral("zoom-%1").arg(step), step == zoom,
              [f = choices.zoom, step] { if (f) f(step); });
  return menu;
}

}  // namespace tembra
