#pragma once
// Scoped access to the host's suites and memory handles. A suite is acquired by name and version
// through the basic suite and released when the scope ends; one that cannot be acquired throws
// HostError with the code the caller names (kSuiteUnavailable by default). HandleLock unlocks
// what it locked.
#include "host/host_guard.h"
#include "host/host_interface.h"

namespace orvex_host {

// The module's answer when a suite cannot be acquired; add frame answers A_Err_MISSING_SUITE
// (13) for the world suite instead.
inline constexpr A_Err kSuiteUnavailable = 516;

template <class Suite>
struct SuiteId;
template <>
struct SuiteId<AEGP_RegisterSuite6> {
  static constexpr const char* name = kAEGPRegisterSuite;
  static constexpr A_long version = kAEGPRegisterSuiteVersion6;
};
template <>
struct SuiteId<AEGP_UtilitySuite13> {
  static constexpr const char* name = kAEGPUtilitySuite;
  static constexpr A_long version = kAEGPUtilitySuiteVersion13;
};
template <>
struct SuiteId<AEGP_IOOutSuite7> {
  static constexpr const char* name = kAEGPIOOutSuite;
  static constexpr A_long version = kAEGPIOOutSuiteVersion7;
};
template <>
struct SuiteId<AEGP_MemorySuite1> {
  static constexpr const char* name = kAEGPMemorySuite;
  static constexpr A_long version = kAEGPMemorySuiteVersion1;
};
template <>
struct SuiteId<PF_ANSICallbacksSuite1> {
  static constexpr const char* name = kPFANSISuite;
  static constexpr A_long version = kPFANSISuiteVersion1;
};
template <>
struct SuiteId<PF_WorldSuite2> {
  static constexpr const char* name = kPFWorldSuite;
  static constexpr A_long version = kPFWorldSuiteVersion2;
};

template <class Suite>
class AcquiredSuite {
 public:
  explicit AcquiredSuite(const SPBasicSuite* basic, A_Err missing_code = kSuiteUnavailable)
      : basic_(basic) {
    const void* suite = nullptr;
    if (basic_ == nullptr || basic_->AcquireSuite == nullptr ||
        basic_->AcquireSuite(SuiteId<Suite>::name, SuiteId<Suite>::version, &suite) != 0 ||
        suite == nullptr)
      throw HostError{missing_code};
    suite_ = static_cast<const Suite*>(suite);
  }
  explicit AcquiredSuite(const AEIO_BasicData* basic_data, A_Err missing_code = kSuiteUnavailable)
      : AcquiredSuite(basic_data ? basic_data->pica_basicP : nullptr, missing_code) {}
  ~AcquiredSuite() {
    if (basic_->ReleaseSuite) basic_->ReleaseSuite(SuiteId<Suite>::name, SuiteId<Suite>::version);
  }
  AcquiredSuite(const AcquiredSuite&) = delete;
  AcquiredSuite& operator=(const AcquiredSuite&) = delete;

  const Suite* operator->() const { return suite_; }
  const Suite* get() const { return suite_; }

 private:
  const SPBasicSuite* basic_;
  const Suite* suite_ = nullptr;
};

// A lock on a memory handle, released at scope end unless released earlier with unlock().
class HandleLock {
 public:
  HandleLock(const AEGP_MemorySuite1* memory, AEGP_MemHandle handle) : memory_(memory) {
    if (handle == nullptr) return;
    void* ptr = nullptr;
    error_ = memory_->AEGP_LockMemHandle(handle, &ptr);
    if (error_ == 0) {
      handle_ = handle;  // locked: unlock later even when the pointer is empty
      ptr_ = ptr;
    }
  }
  ~HandleLock() { unlock(); }
  HandleLock(const HandleLock&) = delete;
  HandleLock& operator=(const HandleLock&) = delete;

  A_Err error() const { return error_; }
  void* get() const { return ptr_; }
  template <class T>
  T* as() const {
    return static_cast<T*>(ptr_);
  }

  // Unlocks now and returns the host's result; 0 when nothing is locked.
  A_Err unlock() {
    if (handle_ == nullptr) return A_Err_NONE;
    AEGP_MemHandle handle = handle_;
    handle_ = nullptr;
    ptr_ = nullptr;
    return memory_->AEGP_UnlockMemHandle(handle);
  }

 private:
  const AEGP_MemorySuite1* memory_;
  AEGP_MemHandle handle_ = nullptr;
  void* ptr_ = nullptr;
  A_Err error_ = A_Err_NONE;
};

}  // namespace orvex_host
