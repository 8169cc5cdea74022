#include "mainwnd/ProgramLauncher.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <sys/stat.h>
#include <unistd.h>

namespace tembra {

bool ProgramLauncher::launchable(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

bool ProgramLauncher::launch(const std::string& folder, const std::string& name) {
  if (folder.empty() || name.empty()) return false;
  const std::string path = folder + name;
  if (!launchable(path)) return false;
  return QProcess::startDetached(QString::fromStdString(path), QStringList());
}

}  // namespace tembra
