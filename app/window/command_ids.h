// The command ids of menu resource 109 that are not tests, and the ids of
// the resources themselves.
#pragma once

#include "platform/win32/windows.h"

namespace ids {

// Resources.
constexpr UINT kMenu = 109;
constexpr UINT kAccelerators = 109;
constexpr UINT kStringTitle = 103;
constexpr UINT kStringReady = 104;
constexpr UINT kStringWindowClass = 109;
constexpr UINT kIconLarge = 107;
constexpr UINT kIconSmall = 108;
constexpr UINT kDialogAbout = 103;
constexpr UINT kDialogUserTexture = 130;
constexpr int kStatusBar = 104;

// File and Help.
constexpr UINT kLoadTexture = 32861;
constexpr UINT kExit = 105;
constexpr UINT kAbout = 104;

// Running.
constexpr UINT kStep = 32822;
constexpr UINT kResume = 32823;
constexpr UINT kOnMessages = 32821;
constexpr UINT kFpsLogging = 32916;

// Cull mode: two groups showing the same state.
constexpr UINT kCullNone = 32785, kCullCw = 32786, kCullCcw = 32787;
constexpr UINT kCullNone2 = 32795, kCullCw2 = 32796, kCullCcw2 = 32797;

// Test type.
constexpr UINT kRandom = 32801, kStatic = 32802, kDefined = 32833;

// Copy to test texture.
constexpr UINT kTexture1 = 32835, kTexture2 = 32836, kTexture3 = 32837, kTexture4 = 32838,
               kTexture5 = 32839;
constexpr UINT kUserTexture = 32851;
constexpr UINT kEditUserTexture = 32852;
constexpr UINT kAllowFastCopy = 32842;
constexpr UINT kCopyFilterNone = 32843;  // .. 32847 "Filter &Box"
constexpr UINT kCopyFilterBox = 32847;
constexpr UINT kCopyFromTexture = 32860;

// Fill and shade.
constexpr UINT kFillPoint = 32811, kFillWireFrame = 32808, kFillSolid = 32809;
constexpr UINT kShadeGouraud = 32810, kShadeFlat = 32812;

// Texture filter.
constexpr UINT kFilterPoint = 32848, kFilterLinear = 32849, kFilterAnisotropic = 32850;

// Presentation and resolution.
constexpr UINT kSwapFlip = 32881, kSwapCopy = 32882;
constexpr UINT kRes640 = 32905;  // .. 32911 "1920 x 1200"
constexpr UINT kRes1024 = 32907;
constexpr UINT kRes1920 = 32911;
constexpr UINT kResizeWindow = 32912;

// Other settings.
constexpr UINT kClearScreen = 32803;
constexpr UINT kCopyRenderBuffer = 32804;
constexpr UINT kDumpTextures = 32883;
constexpr UINT kScaleSprites = 32915;
constexpr UINT kTransparent = 32832;
constexpr UINT kRelativeScaling = 32880;

// Calls per frame: "&1" .. "&800".
constexpr UINT kCalls1 = 32815;  // .. 32820
constexpr UINT kCalls800 = 32820;

}  // namespace ids
