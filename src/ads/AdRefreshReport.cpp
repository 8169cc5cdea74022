#include "ads/AdRefreshReport.h"

namespace tembra {

const char* AdRefreshReport::Name(End end) {
  switch (end) {
    case End::NoServer: return "no server";
    case End::ManifestFailed: return "manifest transfer failed";
    case End::NoManifest: return "no manifest";
    case End::Done: return "done";
  }
  return "?";
}

const char* AdRefreshReport::Name(Action action) {
  switch (action) {
    case Action::UnknownKey: return "unknown key";
    case Action::UpToDate: return "up to date";
    case Action::UnknownType: return "unknown type";
    case Action::LinkStored: return "link stored";
    case Action::PackageStored: return "package stored";
    case Action::DownloadFailed: return "download failed";
    case Action::PackageRefused: return "package refused";
    case Action::WriteFailed: return "write failed";
  }
  return "?";
}

}  // namespace tembra
