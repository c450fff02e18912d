#pragma once
// The two binary records exchanged with the program through the exported calls:
// TaskParams goes into XL_CreateTask, TaskInfo comes back from
// XL_QueryTaskInfoEx. Both are little-endian with UTF-16LE texts and hold no
// pointers, so their layout is the same in the 32-bit and the 64-bit build.
#include <cstddef>
#include <cstdint>

namespace lum::engine {

#pragma pack(push, 1)

struct TaskParams {
  std::int32_t reserved0;          // zero
  char16_t url[2084];              // at most 2083 characters and a NUL
  char16_t secondText[2084];       // read, left empty by the program
  char16_t thirdText[4096];        // read, left empty by the program
  char16_t fileName[520];          // at most 259 characters used
  char16_t saveDir[260];           // ends in a backslash; at most 259 characters
  std::uint8_t reserved18092[264]; // zero (a 32-bit zero at 18096 among it)
  std::int32_t switch18356;        // zero
  std::int32_t value18360;         // 5
  std::int32_t switch18364;        // zero
  std::int32_t switch18368;        // zero when the runner creates the task
  std::uint8_t tail[256];          // zero; not read by the engine
};

// Status codes in the low byte of TaskInfo::status.
enum TaskStatusCode : std::int32_t {
  kStatusNone = 0,          // created, not started
  kStatusFailed = 1,
  kStatusStopped = 2,       // stopped by XL_StopTask (also the runner's "not yet read")
  kStatusDownloading = 3,
  kStatusFinished = 4,
  kStatusStartPending = 5,  // started, first answer not yet in
};

struct TaskInfo {
  std::int32_t status;           // TaskStatusCode; the program reads the low byte
  std::int32_t failCode;         // why a task failed (engine::FailCode), 0 otherwise
  std::uint8_t engine8[1040];
  std::int64_t totalSize;        // bytes, 0 while unknown
  std::int64_t received;         // bytes so far
  float fraction;                // 0.0 to 1.0
  std::uint8_t engine1068[84];
  std::int32_t speed;            // bytes per second, averaged over the last seconds
  std::uint8_t engine1156[276];
};

#pragma pack(pop)

constexpr std::size_t kTaskParamsEngineReads = 18372;  // bytes of TaskParams the engine looks at
constexpr std::size_t kTaskInfoEngineWrites = 1429;    // TaskInfo bytes the engine may write
constexpr std::size_t kMaxUrlChars = 2083;
constexpr std::size_t kMaxNameChars = 259;
constexpr std::size_t kMaxDirChars = 259;

static_assert(sizeof(TaskParams) == 18628);
static_assert(offsetof(TaskParams, url) == 4);
static_assert(offsetof(TaskParams, secondText) == 4172);
static_assert(offsetof(TaskParams, thirdText) == 8340);
static_assert(offsetof(TaskParams, fileName) == 16532);
static_assert(offsetof(TaskParams, saveDir) == 17572);
static_assert(offsetof(TaskParams, reserved18092) == 18092);
static_assert(offsetof(TaskParams, switch18356) == 18356);
static_assert(offsetof(TaskParams, value18360) == 18360);
static_assert(offsetof(TaskParams, switch18364) == 18364);
static_assert(offsetof(TaskParams, switch18368) == 18368);
static_assert(offsetof(TaskParams, tail) == 18372);

static_assert(sizeof(TaskInfo) == 1432);
static_assert(offsetof(TaskInfo, status) == 0);
static_assert(offsetof(TaskInfo, failCode) == 4);
static_assert(offsetof(TaskInfo, engine8) == 8);
static_assert(offsetof(TaskInfo, totalSize) == 1048);
static_assert(offsetof(TaskInfo, received) == 1056);
static_assert(offsetof(TaskInfo, fraction) == 1064);
static_assert(offsetof(TaskInfo, engine1068) == 1068);
static_assert(offsetof(TaskInfo, speed) == 1152);
static_assert(offsetof(TaskInfo, engine1156) == 1156);
static_assert(sizeof(float) == 4 && sizeof(char16_t) == 2);

}  // namespace lum::engine
