#pragma once
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

// A queue between one producer and one consumer thread that holds at most `capacity` items, so
// a producer that runs ahead waits instead of filling memory.
namespace velmora {

template <class T> class BoundedQueue {
public:
    explicit BoundedQueue(std::size_t capacity) : capacity_(capacity ? capacity : 1) {}

    // Waits for room, then adds the item. False, with the item dropped, once the queue is
    // closed or cancelled.
    bool push(T item) {
        std::unique_lock lock(mutex_);
        notFull_.wait(lock, [&] { return items_.size() < capacity_ || closed_; });
        if (closed_) return false;
        items_.push_back(std::move(item));
        notEmpty_.notify_one();
        return true;
    }

    // Waits for an item. Nothing once the queue is closed and what was in it taken, or at once
    // when it is cancelled.
    std::optional<T> pop() {
        std::unique_lock lock(mutex_);
        notEmpty_.wait(lock, [&] { return !items_.empty() || closed_; });
        if (cancelled_ || items_.empty()) return std::nullopt;
        T item = std::move(items_.front());
        items_.pop_front();
        notFull_.notify_one();
        return item;
    }

    // No more items: what is in the queue is still taken.
    void close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        notEmpty_.notify_all();
        notFull_.notify_all();
    }

    // No more items, and those waiting are dropped.
    void cancel() {
        std::deque<T> dropped;
        {
            std::lock_guard lock(mutex_);
            closed_ = cancelled_ = true;
            dropped.swap(items_);
            notEmpty_.notify_all();
            notFull_.notify_all();
        }
    }

    bool cancelled() const {
        std::lock_guard lock(mutex_);
        return cancelled_;
    }
    std::size_t size() const {
        std::lock_guard lock(mutex_);
        return items_.size();
    }
    std::size_t capacity() const { return capacity_; }

private:
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable notEmpty_, notFull_;
    std::deque<T> items_;
    bool closed_ = false;
    bool cancelled_ = false;
};

} // namespace velmora
