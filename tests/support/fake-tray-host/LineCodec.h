#pragma once
// The fake tray host's line format, shared with the tests that read it:
// one event per line, fields separated by tabs, and in each field a
// backslash, tab, newline or carriage return written as \\, \t, \n, \r.
// Header-only so a test can decode without linking the host.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace faketray {

inline QByteArray escapeField(const QString& field) {
  QByteArray out;
  for (const char c : field.toUtf8()) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

inline QByteArray encodeLine(const QStringList& fields) {
  QByteArray line;
  for (qsizetype i = 0; i < fields.size(); ++i) {
    if (i > 0) line += '\t';
    line += escapeField(fields[i]);
  }
  return line + '\n';
}

// The fields of one line (without its newline). An unknown escape keeps
// the escaped character; a lone backslash at the end is kept.
inline QStringList decodeLine(const QByteArray& line) {
  QStringList fields;
  QByteArray field;
  for (qsizetype i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\t') {
      fields << QString::fromUtf8(field);
      field.clear();
    } else if (c == '\\' && i + 1 < line.size()) {
      const char e = line[++i];
      field += e == 't' ? '\t' : e == 'n' ? '\n' : e == 'r' ? '\r' : e;
    } else {
      field += c;
    }
  }
  fields << QString::fromUtf8(field);
  return fields;
}

}  // namespace faketray
