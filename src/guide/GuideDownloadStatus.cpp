#include "guide/GuideDownloadStatus.h"

namespace tembra {

const char* DescribeGuideDownloadStatus(GuideDownloadStatus status) {
  switch (status) {
    case GuideDownloadStatus::Stored: return "stored";
    case GuideDownloadStatus::NoSession: return "no session id";
    case GuideDownloadStatus::BadDay: return "day must be 0, 1 or 2";
    case GuideDownloadStatus::BadValue: return "type, uuid or host too long or not usable in a request";
    case GuideDownloadStatus::HostUnknown: return "host name does not resolve";
    case GuideDownloadStatus::NoConnection: return "no connection";
    case GuideDownloadStatus::SendFailed: return "request could not be sent";
    case GuideDownloadStatus::FileFailed: return "transfer file could not be written";
    case GuideDownloadStatus::Rejected: return "reply refused by the status check";
    case GuideDownloadStatus::ReceiveFailed: return "receive error";
    case GuideDownloadStatus::Stalled: return "reply stalled";
    case GuideDownloadStatus::TimedOut: return "reply took too long";
    case GuideDownloadStatus::TooLarge: return "reply too large";
    case GuideDownloadStatus::Malformed: return "reply is broken XML";
    case GuideDownloadStatus::Cancelled: return "cancelled";
  }
  return "unknown";
}

}  // namespace tembra
