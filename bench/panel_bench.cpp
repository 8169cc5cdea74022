// The channel list's frame time while it scrolls through 20,000 channels
// at a large window's column width (offscreen, the default skin), with the
// rows' decor (badges, the programme on now under the name and its bar)
// against the same scroll without it, and the cost of handing the decor
// the 20,000 programmes on now against filling a list with the same
// rows (as the now-playing list is filled right before). Prints
// "ratio panel_scroll_vs_plain VALUE goal 4" (median frames: a decorated
// row draws two lines of text where a plain one draws one, and a picture
// and a bar besides) and "ratio panel_programmes_vs_fill VALUE goal 1".
#include <QApplication>
#include <QImage>
#include <QScrollBar>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "guidegrid/FakeGuide.h"
#include "mainwnd/ChannelRowDecor.h"
#include "platform/ModulePath.h"
#include "skin/CListUI.h"
#include "skin/CWindowWnd.h"
#include "skin/SkinListView.h"

namespace {

using namespace tembra;
using Clock = std::chrono::steady_clock;

constexpr int kChannels = 20000;
constexpr int kFrames = 400;
constexpr int kWarmFrames = 40;

class ManyChannels : public ChannelSource {
 public:
  ManyChannels() : channels_(test::FakeGuide::channels(kChannels)) {}
  void load(MessageTarget*, uint32_t) override {}
  void createGuide(MessageTarget*) override {}
  int catalogueLoaded() const override { return 1; }
  std::vector<SourceGroup> groups() const override { return {}; }
  std::vector<SourceChannelRef> channels(std::u16string_view) const override { return channels_; }
  SourceChannelRef findChannel(std::u16string_view id) const override {
    const int i = std::stoi(toUtf8(id));
    return i >= 0 && i < kChannels ? channels_[static_cast<size_t>(i)] : nullptr;
  }
  std::optional<StreamRequest> streamFor(std::u16string_view) const override { return std::nullopt; }
  bool refresh() override { return true; }
  void catalogueArrived() override {}
  GuideSource* guide() override { return nullptr; }

 private:
  std::vector<SourceChannelRef> channels_;
};

double medianFrameMs(CListUI& list, QImage& target, int frames) {
  QScrollBar* bar = list.view()->verticalScrollBar();
  std::vector<double> times;
  for (int i = 0; i < frames; ++i) {
    bar->setValue(bar->maximum() / frames * i);
    const auto start = Clock::now();
    list.render(&target);
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

template <typename F>
double bestMs(F f, int runs = 5) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    f();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  CWindowWnd::setResourcePath(QString::fromStdString(ModulePath::record() + "skin/Default/"));
  CWindowWnd window(nullptr, Qt::Window);
  if (!window.loadLayout(QStringLiteral("MainUI.xml"))) {
    std::fprintf(stderr, "the default skin did not load\n");
    return 2;
  }
  window.resize(1920, 1080);
  CListUI* list = window.findList(QStringLiteral("channellist"));
  if (list == nullptr) return 2;
  list->setPosition(QRect(1310, 73, 225, 900));
  list->setFixedRowHeight(46);
  list->setWidthAllowance(125);

  ManyChannels source;
  QVector<CListLabelElementUI> items;
  std::vector<GuideRow> now, next;
  for (const SourceChannelRef& c : source.channels(ChannelSource::kAllGroups)) {
    CListLabelElementUI item;
    item.name = QString::fromStdU16String(c->id);
    item.text = QString::fromStdU16String(c->name);
    item.maxHeight = 29;
    item.maxWidth = 220;
    items.append(item);
    now.push_back({c->id, c->name, {u"Morning News", u"2026-12-10", u"2026-12-10", u"06:00:00"}});
    next.push_back({c->id, c->name, {u"Weather", u"2026-12-10", u"2026-12-10", u"09:00:00"}});
  }
  // What the window does with the same rows just before: the now-playing
  // list's own items, built and handed over.
  const double fillMs = bestMs([&] {
    QVector<CListLabelElementUI> rows;
    rows.reserve(kChannels);
    for (const GuideRow& r : now) {
      CListLabelElementUI item;
      item.name = QString::fromStdU16String(r.id);
      item.text = QString::fromStdU16String(r.name + u" 06:00 " + r.entry.title);
      item.tooltip = item.text;
      rows.append(std::move(item));
    }
    list->replaceAll(std::move(rows));
  });
  list->replaceAll(items);
  ChannelRowDecor decor(source, nullptr, true);
  const double programmesMs = bestMs([&] { decor.setProgrammes(now, next); });

  QImage target(list->size(), QImage::Format_ARGB32_Premultiplied);
  medianFrameMs(*list, target, kWarmFrames);
  const double plain = medianFrameMs(*list, target, kFrames);
  list->setRowDecor(&decor);
  medianFrameMs(*list, target, kWarmFrames);
  const double decorated = medianFrameMs(*list, target, kFrames);
  list->setRowDecor(nullptr);

  std::printf("channels %d, median frame plain %.3f ms, decorated %.3f ms\n", kChannels, plain, decorated);
  std::printf("list fill %.2f ms, programmes on now handed over %.2f ms\n", fillMs, programmesMs);
  std::printf("ratio panel_scroll_vs_plain %.2f goal 4\n", decorated / plain);
  std::printf("ratio panel_programmes_vs_fill %.2f goal 1\n", programmesMs / fillMs);
  return 0;
}
