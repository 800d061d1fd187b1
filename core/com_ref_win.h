// One COM interface pointer, released when the holder goes.
#pragma once

template <typename T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef &) = delete;
    ComRef &operator=(const ComRef &) = delete;
    ~ComRef()
    {
        if (p_)
            p_->Release();
    }
    T **Out() { return &p_; }
    T *operator->() const { return p_; }
    T *Get() const { return p_; }

private:
    T *p_ = nullptr;
};
