#include "skin/SkinBuilder.h"

#include "skin/COptionUI.h"
#include "skin/CListUI.h"
#include "skin/CTabLayoutUI.h"
#include "skin/SkinButton.h"
#include "skin/SkinCombo.h"
#include "skin/SkinContainer.h"
#include "skin/SkinContext.h"
#include "skin/SkinEdit.h"
#include "skin/SkinLabel.h"
#include "skin/SkinProgress.h"
#include "skin/SkinText.h"
#include "skin/SkinVideoSlot.h"
#include "skin/SkinWebBrowser.h"

namespace tembra {

namespace {

SkinControl* make(const SkinNode& node, SkinContext& ctx, QWidget* parent) {
  using K = SkinControlKind;
  switch (node.kind) {
    case K::Window:
    case K::Container:
    case K::VerticalLayout:
    case K::HorizontalLayout: return new SkinContainer(node, ctx, parent);
    case K::TabLayout: return new CTabLayoutUI(node, ctx, parent);
    case K::Button: return new SkinButton(node, ctx, parent);
    case K::Option: return new COptionUI(node, ctx, parent);
    case K::Text: return new SkinText(node, ctx, parent);
    case K::Label: return new SkinLabel(node, ctx, parent);
    case K::Edit: return new SkinEdit(node, ctx, parent);
    case K::Progress:
    case K::Slider: return new SkinProgress(node, ctx, parent);
    case K::List: return new CListUI(node, ctx, parent);
    case K::Combo: return new SkinCombo(node, ctx, parent);
    case K::VideoSlot: return new SkinVideoSlot(node, ctx, parent);
    case K::WebBrowser: return new SkinWebBrowser(node, ctx, parent);
  }
  return nullptr;
}

void buildChildren(const SkinNode& node, SkinContext& ctx, SkinControl* parent) {
  for (const SkinNode& child : node.children) {
    SkinControl* c = make(child, ctx, parent);
    if (c == nullptr) continue;
    buildChildren(child, ctx, c);
  }
  if (auto* tab = qobject_cast<CTabLayoutUI*>(parent)) tab->finishBuild();
}

}  // namespace

SkinContainer* SkinBuilder::build(const SkinLayout& layout, SkinContext& ctx, QWidget* host) {
  const SkinNode& root = layout.root();
  ctx.setFonts(layout.fonts());
  if (root.has(u"textcolor")) ctx.textColor = skinColor(root.color(u"textcolor"));
  if (root.has(u"disabledtextcolor")) ctx.disabledTextColor = skinColor(root.color(u"disabledtextcolor"));
  if (root.has(u"linkcolor")) ctx.linkColor = skinColor(root.color(u"linkcolor"));
  if (root.has(u"selectedcolor")) ctx.selectedColor = skinColor(root.color(u"selectedcolor"));
  auto* top = new SkinContainer(root, ctx, host);
  buildChildren(root, ctx, top);
  return top;
}

}  // namespace tembra
