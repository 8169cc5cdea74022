#include "skin/SkinRequirements.h"

namespace tembra {

namespace {

using C = SkinControlKind;

const std::vector<C> kButton = {C::Button};
const std::vector<C> kOption = {C::Option};
const std::vector<C> kList = {C::List};
const std::vector<C> kTab = {C::TabLayout};
const std::vector<C> kTextual = {C::Text, C::Label};
const std::vector<C> kAny = {};

}  // namespace

const std::vector<SkinRequiredFile>& SkinRequirements::files() {
  static const std::vector<SkinRequiredFile> kFiles = {
      {"MainUI.xml",
       {
           {u"frameWnd", kAny},        {u"videoslot", {C::VideoSlot}}, {u"listcontrol", kAny},
           {u"hidebtn", kButton},      {u"showbtn", kButton},          {u"infolayout", kAny},
           {u"channellayout", kAny},   {u"tvlayout", kAny},            {u"listlayout", kAny},
           {u"pgupbtn", kButton},      {u"channellist", kList},        {u"pgdnbtn", kButton},
           {u"tvsepline", kAny},       {u"guidetab", kTab},            {u"tvguidelayout", kAny},
           {u"tvswitch", kTab},        {u"firstdaylist", kList},       {u"seconddaylist", kList},
           {u"thirddaylist", kList},   {u"playinglist", kList},        {u"playlist", kList},
           {u"iewnd", {C::WebBrowser}}, {u"noticeload", kAny},         {u"noticeloadtime", kTextual},
           {u"noticeloadbtn", kButton}, {u"nonoticelist", kAny},       {u"listload", kAny},
           {u"listloadtime", kTextual}, {u"listloadbtn", kButton},     {u"channeltype", {C::Combo}},
           {u"channelname", kTextual}, {u"guideplaying", kOption},     {u"guideplay", kOption},
           {u"guidefirstday", kOption}, {u"guidesecondday", kOption},  {u"guidethirdday", kOption},
           {u"closebtn", kButton},     {u"maxbtn", kButton},           {u"resbtn", kButton},
           {u"minbtn", kButton},       {u"cutbtn", kButton},           {u"normalbtn", kButton},
           {u"topbtn", kButton},       {u"notopbtn", kButton},         {u"homebtn", kButton},
           {u"upgradebtn", kButton},
       }},
      {"TrayMenuSkin.xml",
       {{u"aboutbtn", kButton}, {u"upgradebtn", kButton}, {u"restorebtn", kButton}, {u"closebtn", kButton}}},
      {"AboutDlgSkin.xml", {{u"Text", kTextual}, {u"homepage", kTextual}, {u"closebtn", kButton}}},
      {"ForcedUpgradeSkin.xml", {{u"closebtn", kButton}, {u"upgradebtn", kButton}}},
      {"MessageDlgSkin.xml", {{u"messagetitle", kTextual}, {u"messagetext", kTextual}, {u"okbtn", kButton}}},
  };
  return kFiles;
}

const std::vector<std::u16string_view>& SkinRequirements::images() {
  static const std::vector<std::u16string_view> kImages = {
      u"frame_channel_item_play.bmp",   u"frame_channel_playing_bk.png",  u"frame_listitem_playing_bk.png",
      u"frame_channel_list_load.gif",   u"frame_channel_notice_load.gif", u"frame_splash_bk.bmp",
      u"frame_splash_loading.gif",
  };
  return kImages;
}

}  // namespace tembra
