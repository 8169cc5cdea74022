#pragma once

namespace tembra {

// How one download ended. Only Stored counts as success.
enum class GuideDownloadStatus {
  Stored,         // reply accepted, stored and parsed (possibly no channels)
  NoSession,      // no session id: nothing was sent
  BadDay,         // day index outside 0-2
  BadValue,       // type, uuid or host over its limit or unsafe in a request
  HostUnknown,    // the host name did not resolve to an IPv4 address
  NoConnection,   // refused, or no connection within the limit
  SendFailed,
  FileFailed,     // the transfer file could not be created or written
  Rejected,       // first block missing or refused by the status check
  ReceiveFailed,  // a receive error after the first block
  Stalled,        // nothing arrived within the idle limit
  TimedOut,       // the reply did not end within the total limit
  TooLarge,       // the body went over the size limit
  Malformed,      // the body is broken XML (ill-formed or cut off): nothing installed
  Cancelled,      // the guide was being destroyed
};

const char* DescribeGuideDownloadStatus(GuideDownloadStatus status);

}  // namespace tembra
