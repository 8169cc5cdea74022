#include "mainwnd/ErrorMessage.h"

#include <QMessageBox>
#include <QPointer>

#include <cstdio>
#include <unistd.h>

#include "mainwnd/MessageDlg.h"
#include "platform/Utf.h"

namespace tembra {

namespace {
QPointer<QMessageBox> openBox;  // GUI thread only
}

std::string ErrorMessage::caption() {
  char buf[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  std::string path = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string("tembra-player");
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void ErrorMessage::show(QWidget* parent, const std::u16string& text) {
  const std::string name = caption();
  std::fprintf(stderr, "%s: %s\n", name.c_str(), toUtf8(text).c_str());
  std::fflush(stderr);
  QMessageBox box(QMessageBox::Critical, QString::fromStdString(name),
                  QString::fromStdU16String(text), QMessageBox::Ok, parent);
  openBox = &box;
  box.exec();
  openBox = nullptr;
}

void ErrorMessage::dismissOpen() {
  if (openBox) openBox->reject();
  MessageDlg::dismissOpen();
}

}  // namespace tembra
