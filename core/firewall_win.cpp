#include "core/firewall_win.h"

#include <netfw.h>
#include <oleauto.h>

#include "core/com_ref_win.h"

namespace {

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

HRESULT OpenProfile(ComRef<INetFwProfile> &profile)
{
    ComRef<INetFwMgr> manager;
    HRESULT hr = CoCreateInstance(__uuidof(NetFwMgr), nullptr, CLSCTX_INPROC_SERVER, __uuidof(INetFwMgr),
                                  reinterpret_cast<void **>(manager.Out()));
    if (FAILED(hr))
        return hr;
    ComRef<INetFwPolicy> policy;
    if (FAILED(hr = manager->get_LocalPolicy(policy.Out())))
        return hr;
    return policy->get_CurrentProfile(profile.Out());
}

HRESULT OpenAuthorizedApplications(ComRef<INetFwAuthorizedApplications> &apps)
{
    ComRef<INetFwProfile> profile;
    HRESULT hr = OpenProfile(profile);
    if (FAILED(hr))
        return hr;
    return profile->get_AuthorizedApplications(apps.Out());
}

HRESULT OpenPorts(ComRef<INetFwOpenPorts> &ports)
{
    ComRef<INetFwProfile> profile;
    HRESULT hr = OpenProfile(profile);
    if (FAILED(hr))
        return hr;
    return profile->get_GloballyOpenPorts(ports.Out());
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

HRESULT ConnectFirewall()
{
    ComRef<INetFwProfile> profile;
    return OpenProfile(profile);
}

HRESULT AddFirewallPort(long port, long protocol, const String &name)
{
    ComRef<INetFwOpenPorts> ports;
    HRESULT hr = OpenPorts(ports);
    if (FAILED(hr))
        return hr;
    {
        ComRef<INetFwOpenPort> existing;
        if (SUCCEEDED(ports->Item(port, static_cast<NET_FW_IP_PROTOCOL>(protocol), existing.Out())) && existing.Get())
            return S_OK;
    }
    ComRef<INetFwOpenPort> open;
    hr = CoCreateInstance(__uuidof(NetFwOpenPort), nullptr, CLSCTX_INPROC_SERVER, __uuidof(INetFwOpenPort),
                          reinterpret_cast<void **>(open.Out()));
    if (FAILED(hr))
        return hr;
    Bstr label(name);
    if (FAILED(hr = open->put_Port(port)) ||
        FAILED(hr = open->put_Protocol(static_cast<NET_FW_IP_PROTOCOL>(protocol))) ||
        FAILED(hr = open->put_Name(label.Get())) || FAILED(hr = open->put_Enabled(VARIANT_TRUE)))
        return hr;
    return ports->Add(open.Get());
}

HRESULT RemoveFirewallPort(long port, long protocol)
{
    ComRef<INetFwOpenPorts> ports;
    HRESULT hr = OpenPorts(ports);
    if (FAILED(hr))
        return hr;
    return ports->Remove(port, static_cast<NET_FW_IP_PROTOCOL>(protocol));
}
