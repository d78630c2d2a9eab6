#pragma once

#include "support/errors.h"

namespace kest {

// Log sheets and tracks.
KEST_DECLARE_ERROR(ELogError, EKestError);
KEST_DECLARE_ERROR(ELogSheetError, ELogError);
KEST_DECLARE_ERROR(ELogTrackError, ELogError);

// File formats and their registry.
KEST_DECLARE_ERROR(ELogSheetFilerError, EKestError);
KEST_DECLARE_ERROR(ELSFilerError, ELogSheetFilerError);
KEST_DECLARE_ERROR(ELasFilerError, ELogSheetFilerError);
KEST_DECLARE_ERROR(ETMPFilerError, ELogSheetFilerError);
KEST_DECLARE_ERROR(ELogSheetFilersError, EKestError);

// Message texts shared by several units.
inline constexpr const char* kSheetIsEmpty = "Sheet is empty";
inline constexpr const char* kSheetStepNotUniform = "Sheet argument step is not uniform";
inline constexpr const char* kArgumentsDiffer = "Arguments differ";
inline constexpr const char* kFileDamaged = "Файл поврежден";

}  // namespace kest
