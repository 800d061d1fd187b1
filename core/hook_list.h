// A fixed-size list of registered hook functions, asked most recently registered first. Used by the
// fatal-error path and the memory-release hooks, which must work without allocating.
#pragma once

template <typename Hook, int Capacity>
class HookList {
public:
    // False when the list is full.
    bool Add(Hook hook)
    {
        if (count_ >= Capacity)
            return false;
        hooks_[count_++] = hook;
        return true;
    }

    // Removes the most recent registration of `hook`.
    void Remove(Hook hook)
    {
        for (int i = count_ - 1; i >= 0; --i) {
            if (hooks_[i] == hook) {
                for (int j = i; j + 1 < count_; ++j)
                    hooks_[j] = hooks_[j + 1];
                --count_;
                return;
            }
        }
    }

    int Count() const { return count_; }
    // Hook `i`, 0 being the oldest.
    Hook At(int i) const { return hooks_[i]; }
    // Takes the most recent hook off the list.
    Hook PopLatest() { return hooks_[--count_]; }

private:
    Hook hooks_[Capacity] = {};
    int count_ = 0;
};
