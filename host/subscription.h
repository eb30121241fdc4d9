#pragma once
// An event connection whose lifetime is the connection: destroying or replacing it disconnects.

#include <functional>
#include <memory>
#include <utility>

namespace fenmark::host {

class Subscription {
 public:
  Subscription() = default;
  explicit Subscription(std::function<void()> disconnect) : disconnect_(std::move(disconnect)) {}
  Subscription(Subscription&& other) noexcept : disconnect_(std::exchange(other.disconnect_, {})) {}
  Subscription& operator=(Subscription&& other) noexcept {
    if (this != &other) {
      Reset();
      disconnect_ = std::exchange(other.disconnect_, {});
    }
    return *this;
  }
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;
  ~Subscription() { Reset(); }

  explicit operator bool() const noexcept { return static_cast<bool>(disconnect_); }

  // Disconnecting never fails towards the caller: a source that is already gone has nothing to
  // drop.
  void Reset() noexcept {
    if (auto disconnect = std::exchange(disconnect_, {})) {
      try {
        disconnect();
      } catch (...) {
      }
    }
  }

 private:
  std::function<void()> disconnect_;
};

// A member that receives the events of the object it holds, from the moment it is set until it is
// replaced or emptied. Replacing drops the old connection and reference before connecting anew.
template <class T>
class Connected {
 public:
  Connected() = default;
  Connected(const Connected&) = delete;
  Connected& operator=(const Connected&) = delete;
  ~Connected() { Reset(); }

  const std::shared_ptr<T>& Get() const noexcept { return object_; }
  T* operator->() const noexcept { return object_.get(); }
  explicit operator bool() const noexcept { return static_cast<bool>(object_); }

  void Reset() noexcept {
    subscription_.Reset();
    object_.reset();
  }

  // `connect(T&)` returns the Subscription; if it fails the member is left empty.
  template <class Connect>
  void Assign(std::shared_ptr<T> object, Connect&& connect) {
    Reset();
    if (!object) return;
    subscription_ = connect(*object);
    object_ = std::move(object);
  }

  // For a source the add-in can do without: what cannot be had is left out, silently. The member
  // then holds the object that `get()` gave without its events, or nothing when `get` failed.
  template <class Get, class Connect>
  void AssignOptional(Get&& get, Connect&& connect) noexcept {
    Reset();
    try {
      object_ = get();
      if (object_) subscription_ = connect(*object_);
    } catch (...) {
    }
  }

 private:
  std::shared_ptr<T> object_;
  Subscription subscription_;
};

}  // namespace fenmark::host
