#pragma once
// The memory that the decoded pictures of one book may take together. Every
// holder of decoded pixels (a photograph's picture and display copy, a view's
// screen copy of them) is charged for its bytes under the photograph it
// belongs to; going over the limit frees the photographs shown longest ago,
// all their parts at once, until the total fits. The photograph being charged
// is never freed, so what is on the screen stays; one picture larger than the
// whole limit is kept alone.
//
// Safe to use from any thread: the budget only keeps the accounts. What is
// to be freed is handed back to the caller, to be run where the pictures live
// (today at once, on the one user-interface thread).

#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <unordered_map>
#include <vector>

class PictureBudget {
public:
    using Release = std::function<void()>;
    static constexpr uint64_t kDefaultLimit = uint64_t(1) << 30;

    explicit PictureBudget(uint64_t limit = kDefaultLimit) : m_nLimit(limit) {}
    PictureBudget(const PictureBudget&) = delete;
    PictureBudget& operator=(const PictureBudget&) = delete;

    // Charges `part` of the photograph `group` `bytes` (replacing what it was
    // charged before; `release` frees that part) and counts the photograph as
    // shown just now. Returns the releases of what must go to come back
    // within the limit; those parts are no longer charged.
    std::vector<Release> Charge(const void* group, const void* part, uint64_t bytes, Release release);
    // The photograph is being shown: it becomes the last to be freed.
    void Touch(const void* group);
    // The holder freed the part (or every part of the photograph) itself.
    void Forget(const void* group, const void* part);
    void ForgetGroup(const void* group);
    // A lower limit takes effect at once: the releases of what must go.
    std::vector<Release> SetLimit(uint64_t limit);

    uint64_t Used() const;
    uint64_t Limit() const;

    static void RunAll(const std::vector<Release>& releases);

private:
    struct Part {
        const void* key;
        uint64_t bytes;
        Release release;
    };
    struct Group {
        const void* key;
        std::vector<Part> parts;
    };
    using GroupList = std::list<Group>; // shown most recently first

    GroupList::iterator FindOrAdd(const void* group);
    // Frees whole photographs from the back until the total fits; never `keep`.
    std::vector<Release> TakeOverflow(const void* keep);

    mutable std::mutex m_mutex;
    uint64_t m_nLimit;
    uint64_t m_nUsed = 0;
    GroupList m_groups;
    std::unordered_map<const void*, GroupList::iterator> m_byKey;
};
