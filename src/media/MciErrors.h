#pragma once

namespace lumeria::media::mci {

// The result codes of the Windows media control interface, by their numbers:
// scripts store them in MCIResult and compare them, so they are the
// platform's own (MCIERR_BASE 256 plus the offset each has there).
inline constexpr int kOk = 0;
inline constexpr int kInvalidDeviceId = 257;
inline constexpr int kUnrecognizedKeyword = 259;
inline constexpr int kUnrecognizedCommand = 261;
inline constexpr int kHardware = 262;
inline constexpr int kInvalidDeviceName = 263;
inline constexpr int kOutOfMemory = 264;
inline constexpr int kDeviceOpen = 265;
inline constexpr int kCannotLoadDriver = 266;
inline constexpr int kMissingCommandString = 267;
inline constexpr int kParamOverflow = 268;
inline constexpr int kMissingStringArgument = 269;
inline constexpr int kBadInteger = 270;
inline constexpr int kParserInternal = 271;
inline constexpr int kDriverInternal = 272;
inline constexpr int kMissingParameter = 273;
inline constexpr int kUnsupportedFunction = 274;
inline constexpr int kFileNotFound = 275;
inline constexpr int kDeviceNotReady = 276;
inline constexpr int kInternal = 277;
inline constexpr int kDriver = 278;
inline constexpr int kCannotUseAll = 279;
inline constexpr int kMultiple = 280;
inline constexpr int kExtensionNotFound = 281;
inline constexpr int kOutOfRange = 282;
inline constexpr int kFlagsNotCompatible = 284;
inline constexpr int kFileNotSaved = 286;
inline constexpr int kDeviceTypeRequired = 287;
inline constexpr int kDeviceLocked = 288;
inline constexpr int kDuplicateAlias = 289;
inline constexpr int kBadConstant = 290;
inline constexpr int kMustUseShareable = 291;
inline constexpr int kMissingDeviceName = 292;
inline constexpr int kBadTimeFormat = 293;
inline constexpr int kNoClosingQuote = 294;
inline constexpr int kDuplicateFlags = 295;
inline constexpr int kInvalidFile = 296;
inline constexpr int kNullParameterBlock = 297;
inline constexpr int kUnnamedResource = 298;
inline constexpr int kNewRequiresAlias = 299;
inline constexpr int kNotifyOnAutoOpen = 300;
inline constexpr int kNoElementAllowed = 301;
inline constexpr int kNonapplicableFunction = 302;
inline constexpr int kIllegalForAutoOpen = 303;
inline constexpr int kFilenameRequired = 304;
inline constexpr int kExtraCharacters = 305;
inline constexpr int kDeviceNotInstalled = 306;
inline constexpr int kNoInteger = 312;
inline constexpr int kWaveInputsUnsuitable = 328;
inline constexpr int kNoWindow = 346;
inline constexpr int kFileRead = 348;
inline constexpr int kNoIdentity = 350;

} // namespace lumeria::media::mci
