#include "core/firewall_win.h"

#include <netfw.h>
#include <oleauto.h>

namespace {

// Holds one COM interface pointer and releases it.
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

// A BSTR for the duration of one call.
class Bstr {
public:
    explicit Bstr(const String &text)
        : b_(SysAllocStringLen(reinterpret_cast<const OLECHAR *>(text.Wide()),
                               static_cast<UINT>(text.WideLength())))
    {
    }
    Bstr(const Bstr &) = delete;
    Bstr &operator=(const Bstr &) = delete;
    ~Bstr() { SysFreeString(b_); }
    BSTR Get() const { return b_; }

private:
    BSTR b_;
};

HRESULT OpenAuthorizedApplications(ComRef<INetFwAuthorizedApplications> &apps)
{
    ComRef<INetFwMgr> manager;
    HRESULT hr = CoCreateInstance(__uuidof(NetFwMgr), nullptr, CLSCTX_INPROC_SERVER, __uuidof(INetFwMgr),
                                  reinterpret_cast<void **>(manager.Out()));
    if (FAILED(hr))
        return hr;
    ComRef<INetFwPolicy> policy;
    if (FAILED(hr = manager->get_LocalPolicy(policy.Out())))
        return hr;
    ComRef<INetFwProfile> profile;
    if (FAILED(hr = policy->get_CurrentProfile(profile.Out())))
        return hr;
    return profile->get_AuthorizedApplications(apps.Out());
}

} // namespace

HRESULT AddFirewallApplication(const String &program, const String &name)
{
    ComRef<INetFwAuthorizedApplications> apps;
    HRESULT hr = OpenAuthorizedApplications(apps);
    if (FAILED(hr))
        return hr;
    ComRef<INetFwAuthorizedApplication> app;
    hr = CoCreateInstance(__uuidof(NetFwAuthorizedApplication), nullptr, CLSCTX_INPROC_SERVER,
                          __uuidof(INetFwAuthorizedApplication), reinterpret_cast<void **>(app.Out()));
    if (FAILED(hr))
        return hr;
    Bstr path(program);
    Bstr label(name);
    if (FAILED(hr = app->put_ProcessImageFileName(path.Get())) || FAILED(hr = app->put_Name(label.Get())) ||
        FAILED(hr = app->put_Enabled(VARIANT_TRUE)))
        return hr;
    return apps->Add(app.Get());
}

HRESULT RemoveFirewallApplication(const String &program)
{
    ComRef<INetFwAuthorizedApplications> apps;
    HRESULT hr = OpenAuthorizedApplications(apps);
    if (FAILED(hr))
        return hr;
    Bstr path(program);
    return apps->Remove(path.Get());
}
