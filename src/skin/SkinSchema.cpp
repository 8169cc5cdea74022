#include "skin/SkinSchema.h"

#include <utility>

namespace tembra {

namespace {

using K = SkinAttrKind;
using Attr = std::pair<std::u16string_view, SkinAttrKind>;

const std::vector<SkinControlType> kTypes = {
    {SkinControlKind::Window, u"Window", u"WindowUI", true},
    {SkinControlKind::Container, u"Container", u"ContainerUI", true},
    {SkinControlKind::VerticalLayout, u"VerticalLayout", u"VerticalLayoutUI", true},
    {SkinControlKind::HorizontalLayout, u"HorizontalLayout", u"HorizontalLayoutUI", true},
    {SkinControlKind::TabLayout, u"TabLayout", u"TabLayoutUI", true},
    {SkinControlKind::Button, u"Button", u"ButtonUI", false},
    {SkinControlKind::Option, u"Option", u"OptionUI", false},
    {SkinControlKind::Text, u"Text", u"TextUI", false},
    {SkinControlKind::Label, u"Label", u"LabelUI", false},
    {SkinControlKind::Edit, u"Edit", u"EditUI", false},
    {SkinControlKind::Progress, u"Progress", u"ProgressUI", false},
    {SkinControlKind::Slider, u"Slider", u"SliderUI", false},
    {SkinControlKind::List, u"List", u"ListUI", false},
    {SkinControlKind::Combo, u"Combo", u"ComboUI", false},
    {SkinControlKind::VideoSlot, u"VideoSlot", u"VideoSlotUI", false},
    {SkinControlKind::WebBrowser, u"WebBrowser", u"WebBrowserUI", false},
};

const std::vector<Attr> kCommon = {
    {u"name", K::Text},          {u"pos", K::Rect},          {u"float", K::Bool},
    {u"width", K::Int},          {u"height", K::Int},        {u"minwidth", K::Int},
    {u"minheight", K::Int},      {u"maxwidth", K::Int},      {u"maxheight", K::Int},
    {u"padding", K::Rect},       {u"visible", K::Bool},      {u"enabled", K::Bool},
    {u"bkcolor", K::Color},      {u"bordercolor", K::Color}, {u"bordersize", K::Int},
    {u"borderround", K::Size},   {u"bkimage", K::Image},     {u"corner", K::Rect},
    {u"tooltip", K::Text},       {u"text", K::Text},         {u"textcolor", K::Color},
    {u"disabledtextcolor", K::Color}, {u"font", K::Int},     {u"align", K::Align},
    {u"textpadding", K::Rect},   {u"wordwrap", K::Bool},
};

const std::vector<Attr> kContainer = {{u"inset", K::Rect}, {u"childpadding", K::Int}};

const std::vector<Attr> kWindow = {
    {u"size", K::Size},        {u"mininfo", K::Size},      {u"caption", K::Rect},
    {u"sizebox", K::Rect},     {u"roundcorner", K::Size},  {u"linkcolor", K::Color},
    {u"selectedcolor", K::Color},
};

const std::vector<Attr> kButton = {
    {u"normalimage", K::Image},  {u"hotimage", K::Image},      {u"pushedimage", K::Image},
    {u"disabledimage", K::Image}, {u"foreimage", K::Image},    {u"hotbkcolor", K::Color},
    {u"pushedbkcolor", K::Color}, {u"hottextcolor", K::Color}, {u"pushedtextcolor", K::Color},
};

const std::vector<Attr> kOption = {
    {u"group", K::Text},          {u"selected", K::Bool},         {u"selectedimage", K::Image},
    {u"selectedhotimage", K::Image}, {u"selectedbkcolor", K::Color}, {u"selectedtextcolor", K::Color},
};

const std::vector<Attr> kItems = {
    {u"itemfont", K::Int},               {u"itemtextcolor", K::Color},
    {u"itembkcolor", K::Color},          {u"itemaltbkcolor", K::Color},
    {u"itemhotbkcolor", K::Color},       {u"itemselectedbkcolor", K::Color},
    {u"itemselectedtextcolor", K::Color}, {u"itemlinecolor", K::Color},
    {u"itemmarkedtextcolor", K::Color},  {u"itemdimtextcolor", K::Color},
    {u"itemstarcolor", K::Color},        {u"itemprogresscolor", K::Color},
    {u"itemprogressfillcolor", K::Color}, {u"itemrecordcolor", K::Color},
    {u"itemtextpadding", K::Rect},       {u"itemheight", K::Int},
    {u"itemselectedimage", K::Image},    {u"scrollcolor", K::Color},
    {u"scrollbar", K::Bool},
};

const std::vector<Attr> kList = {{u"header", K::Text}, {u"headerheight", K::Int}, {u"headerbkcolor", K::Color}};

const std::vector<Attr> kCombo = {
    {u"dropdownheight", K::Int}, {u"normalimage", K::Image}, {u"hotimage", K::Image},
    {u"pushedimage", K::Image},  {u"arrowimage", K::Image},  {u"hotbkcolor", K::Color},
    {u"dropbkcolor", K::Color},
};

const std::vector<Attr> kEdit = {{u"maxchar", K::Int}, {u"password", K::Bool}, {u"readonly", K::Bool},
                                 {u"focusbordercolor", K::Color}};

const std::vector<Attr> kRange = {{u"min", K::Int},          {u"max", K::Int},
                                  {u"value", K::Int},        {u"fgcolor", K::Color},
                                  {u"fgimage", K::Image},    {u"thumbcolor", K::Color},
                                  {u"thumbsize", K::Size},   {u"thumbimage", K::Image}};

const std::vector<Attr> kTab = {{u"selectedid", K::Int}};

const std::vector<Attr> kBrowser = {{u"homepage", K::Text}};

const std::vector<Attr> kFont = {{u"id", K::Int},     {u"name", K::Text},      {u"size", K::Int},
                                 {u"bold", K::Bool},  {u"italic", K::Bool},    {u"underline", K::Bool},
                                 {u"default", K::Bool}};

std::optional<SkinAttrKind> lookup(const std::vector<Attr>& table, std::u16string_view name) {
  for (const Attr& a : table) {
    if (a.first == name) return a.second;
  }
  return std::nullopt;
}

}  // namespace

const std::vector<SkinControlType>& SkinSchema::types() { return kTypes; }

const SkinControlType* SkinSchema::find(std::u16string_view tag) {
  for (const SkinControlType& t : kTypes) {
    if (t.tag == tag) return &t;
  }
  return nullptr;
}

const SkinControlType& SkinSchema::type(SkinControlKind kind) { return kTypes[static_cast<size_t>(kind)]; }

std::optional<SkinAttrKind> SkinSchema::attribute(SkinControlKind kind, std::u16string_view name) {
  if (auto k = lookup(kCommon, name)) return k;
  const SkinControlType& t = type(kind);
  if (t.container) {
    if (auto k = lookup(kContainer, name)) return k;
  }
  switch (kind) {
    case SkinControlKind::Window: return lookup(kWindow, name);
    case SkinControlKind::TabLayout: return lookup(kTab, name);
    case SkinControlKind::Button: return lookup(kButton, name);
    case SkinControlKind::Option: {
      if (auto k = lookup(kOption, name)) return k;
      return lookup(kButton, name);
    }
    case SkinControlKind::Text: return lookup(kButton, name);
    case SkinControlKind::Edit: return lookup(kEdit, name);
    case SkinControlKind::Progress:
    case SkinControlKind::Slider: return lookup(kRange, name);
    case SkinControlKind::List: {
      if (auto k = lookup(kList, name)) return k;
      return lookup(kItems, name);
    }
    case SkinControlKind::Combo: {
      if (auto k = lookup(kCombo, name)) return k;
      return lookup(kItems, name);
    }
    case SkinControlKind::WebBrowser: return lookup(kBrowser, name);
    default: return std::nullopt;
  }
}

std::optional<SkinAttrKind> SkinSchema::fontAttribute(std::u16string_view name) { return lookup(kFont, name); }

}  // namespace tembra
