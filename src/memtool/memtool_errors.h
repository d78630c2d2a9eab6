#pragma once

#include "support/errors.h"

namespace kest {

// The memory tool: a command that got no reply, a task table that cannot be stored,
// a read-out that failed. The message is what the user sees.
KEST_DECLARE_ERROR(EMemoryToolError, EKestError);
KEST_DECLARE_ERROR(ETaskTableError, EMemoryToolError);

// The text of every command that waited for a reply in vain.
inline constexpr const char* kNoReplyText = "Нет ответа от прибора";
// The tool answered, and its status word counts no tasks.
inline constexpr const char* kNoTasksText = "В приборе нет заданий";

}  // namespace kest
