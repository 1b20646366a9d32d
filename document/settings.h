// The program's settings: integers in section "Config" of its profile, each with its name and
// default, and the values that mean something. Every reader and writer of a setting takes it
// from here.
#pragma once

#include "platform/framework/afxwin.h"

namespace settings {

constexpr const char* kSection = "Config";

struct Entry {
  const char* name;
  int defaultValue;
};

// Only in the profile: read when the window is made, written by the settings dialog and, for
// the position, at every exit.
constexpr Entry kTopMostFlg{"TopMostFlg", 0};
constexpr Entry kBeforePositionFlg{"BeforePositionFlg", 0};
constexpr Entry kBeforePositionPosX{"BeforePositionPosX", 100};
constexpr Entry kBeforePositionPosY{"BeforePositionPosY", 100};
// Copied into the document.
constexpr Entry kEdgeFlg{"EdgeFlg", 1};
constexpr Entry kCircleEdgeFlg{"CircleEdgeFlg", 0};
constexpr Entry kClockFlg{"ClockFlg", 1};
constexpr Entry kEdgeKind{"EdgeKind", 1};
constexpr Entry kEdgeClossFlg{"EdgeClossFlg", 1};
constexpr Entry kShootingStarLevel{"ShootingStarLevel", 1};
constexpr Entry kSateltLevel{"SateltLevel", 1};
constexpr Entry kFrameSizeNo{"FrameSizeNo", 3};
constexpr Entry kBkMode{"BkMode", 1};
constexpr Entry kClockColor{"ClockColor", 0};

constexpr Entry kAll[] = {kTopMostFlg, kBeforePositionFlg, kBeforePositionPosX, kBeforePositionPosY,
                          kFrameSizeNo, kCircleEdgeFlg,    kEdgeFlg,            kEdgeKind,
                          kEdgeClossFlg, kClockFlg,        kClockColor,         kShootingStarLevel,
                          kSateltLevel, kBkMode};

// Values with a meaning. The two-way choices count from 1; flags are 0 and 1.
constexpr int kEdgeKindLog = 1;        // "丸太風"; anything else paints aluminium
constexpr int kEdgeKindAluminium = 2;  // "アルミ風"
constexpr int kWithBars = 1;           // EdgeClossFlg; anything else: no bars
constexpr int kWithoutBars = 2;
constexpr int kBackgroundDarkness = 1;  // BkMode
constexpr int kBackgroundDesktop = 2;
constexpr int kOn = 1;                  // the flags that must be exactly 1 to count

// The value as stored, or its default; signed, without range checks.
inline int Read(CWinApp* app, const Entry& entry) {
  return static_cast<int>(app->GetProfileInt(kSection, entry.name, entry.defaultValue));
}

inline void Write(CWinApp* app, const Entry& entry, int value) { app->WriteProfileInt(kSection, entry.name, value); }

}  // namespace settings
