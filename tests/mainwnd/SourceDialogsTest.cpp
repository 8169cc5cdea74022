// The first-run page and the sources dialog, offscreen, with real files.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>

#include "TempDir.h"
#include "mainwnd/FirstRunDialog.h"
#include "mainwnd/QtTestApp.h"
#include "mainwnd/SourceForm.h"
#include "mainwnd/SourcesDialog.h"
#include "platform/TestFiles.h"

namespace tembra {
namespace {

template <typename T>
T* child(QWidget& parent, const char* name) {
  T* found = parent.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(found, nullptr) << name;
  return found;
}

TEST(FirstRunDialog, OpensOnlyWithAPlaylistAndGivesItsGuides) {
  FirstRunDialog dialog;
  dialog.show();
  child<QPushButton>(dialog, "open")->click();
  EXPECT_FALSE(dialog.result() == QDialog::Accepted) << "no playlist yet";
  EXPECT_TRUE(child<QLabel>(dialog, "problem")->isVisibleTo(&dialog));

  child<QLineEdit>(dialog, "playlist")->setText(QStringLiteral("  http://tv.example/list.m3u "));
  child<QLineEdit>(dialog, "guides")->setText(QStringLiteral("http://tv.example/a.xml.gz , /home/me/b.xml"));
  child<QPushButton>(dialog, "open")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  const SourceSettings got = dialog.form().get();
  EXPECT_EQ(got.kind, SourceKind::Playlist);
  EXPECT_EQ(got.playlist, "http://tv.example/list.m3u");
  EXPECT_EQ(got.guides, (std::vector<std::string>{"http://tv.example/a.xml.gz", "/home/me/b.xml"}));
  EXPECT_EQ(got.name, "tv.example list.m3u");
}

TEST(SourceForm, AnOperatorSourceKeepsNoPlaylistFields) {
  SourceForm form(SourceForm::Fields::All);
  SourceSettings s;
  s.id = "7";
  s.kind = SourceKind::Operator;
  s.name = "Home operator";
  form.set(s);
  EXPECT_TRUE(form.problem().isEmpty()) << "an operator source needs no playlist";
  const SourceSettings got = form.get();
  EXPECT_EQ(got.id, "7");
  EXPECT_EQ(got.kind, SourceKind::Operator);
  EXPECT_TRUE(got.playlist.empty());
}

TEST(SourceForm, AProviderAccountKeepsItsServerUserAndPasswordOnly) {
  SourceForm form(SourceForm::Fields::All);
  form.set(SourceSettings{});
  auto* kind = child<QComboBox>(form, "kind");
  ASSERT_EQ(kind->count(), 3);
  kind->setCurrentIndex(2);
  EXPECT_FALSE(child<QLineEdit>(form, "playlist")->isVisibleTo(&form));
  EXPECT_TRUE(child<QLineEdit>(form, "server")->isVisibleTo(&form));
  EXPECT_EQ(child<QLineEdit>(form, "password")->echoMode(), QLineEdit::Password);
  EXPECT_FALSE(form.problem().isEmpty()) << "no server or user yet";
  child<QLineEdit>(form, "playlist")->setText(QStringLiteral("/left/over.m3u"));
  child<QLineEdit>(form, "server")->setText(QStringLiteral(" http://tv.example:8080 "));
  child<QLineEdit>(form, "user")->setText(QStringLiteral("me"));
  child<QLineEdit>(form, "password")->setText(QStringLiteral(" secret "));
  EXPECT_TRUE(form.problem().isEmpty()) << form.problem().toStdString();
  const SourceSettings got = form.get();
  EXPECT_EQ(got.kind, SourceKind::Xtream);
  EXPECT_EQ(got.server, "http://tv.example:8080");
  EXPECT_EQ(got.user, "me");
  EXPECT_EQ(got.password, " secret ");
  EXPECT_EQ(got.name, "tv.example:8080");
  EXPECT_TRUE(got.playlist.empty());

  // Back to a playlist: the account's fields go.
  kind->setCurrentIndex(0);
  const SourceSettings playlist = form.get();
  EXPECT_EQ(playlist.playlist, "/left/over.m3u");
  EXPECT_TRUE(playlist.server.empty() && playlist.user.empty() && playlist.password.empty());
}

TEST(SourcesDialog, AnAccountIsListedAndItsPasswordKeptInTheFileWithoutASecretStore) {
  // No session bus: the secret store is not there to ask.
  const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  const std::string savedBus = bus ? bus : "";
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  test::TempDir dir("sourcesdlg-xtream");
  SourceList list(dir.file("sources.ini"));
  SourcesDialog dialog(list, "");
  // The add dialog is modal: fill it in once it shows.
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* form = w->findChild<SourceForm*>(QStringLiteral("form"));
      if (form == nullptr || !w->isVisible()) continue;
      form->findChild<QComboBox*>(QStringLiteral("kind"))->setCurrentIndex(2);
      form->findChild<QLineEdit*>(QStringLiteral("server"))->setText(QStringLiteral("http://tv.example"));
      form->findChild<QLineEdit*>(QStringLiteral("user"))->setText(QStringLiteral("me"));
      form->findChild<QLineEdit*>(QStringLiteral("password"))->setText(QStringLiteral("pw"));
      static_cast<QDialog*>(w)->accept();
    }
  });
  child<QPushButton>(dialog, "add")->click();
  if (!savedBus.empty()) setenv("DBUS_SESSION_BUS_ADDRESS", savedBus.c_str(), 1);
  auto* view = child<QListWidget>(dialog, "sources");
  ASSERT_EQ(view->count(), 1);
  EXPECT_EQ(view->item(0)->text(), QStringLiteral("tv.example\nProvider account me at http://tv.example"));
  SourceList saved(dir.file("sources.ini"));
  ASSERT_TRUE(saved.load());
  ASSERT_EQ(saved.sources().size(), 1u);
  EXPECT_EQ(saved.sources()[0].kind, SourceKind::Xtream);
  EXPECT_EQ(saved.sources()[0].password, "pw");
  EXPECT_FALSE(saved.sources()[0].passwordStored);
}

TEST(SourcesDialog, RemovingAndOpeningWorkOnTheSavedList) {
  test::TempDir dir("sourcesdlg");
  SourceList list(dir.file("sources.ini"));
  SourceSettings a;
  a.kind = SourceKind::Playlist;
  a.name = "A";
  a.playlist = "/a.m3u";
  SourceSettings b = a;
  b.name = "B";
  b.playlist = "http://b/list.m3u";
  const std::string idA = list.add(a);
  const std::string idB = list.add(b);
  list.setLastUsed(idA);

  SourcesDialog dialog(list, idA);
  auto* view = child<QListWidget>(dialog, "sources");
  ASSERT_EQ(view->count(), 2);
  EXPECT_EQ(view->item(0)->text(), QStringLiteral("A  (open now)\n/a.m3u"));
  view->setCurrentRow(0);
  child<QPushButton>(dialog, "remove")->click();
  ASSERT_EQ(view->count(), 1);
  SourceList saved(dir.file("sources.ini"));
  ASSERT_TRUE(saved.load());
  ASSERT_EQ(saved.sources().size(), 1u);
  EXPECT_EQ(saved.sources()[0].id, idB);

  view->setCurrentRow(0);
  child<QPushButton>(dialog, "open")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.chosen(), idB);
}

}  // namespace
}  // namespace tembra
