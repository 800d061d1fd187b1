#include "core/folder_access_win.h"

#include <aclapi.h>

#include "core/wide_win.h"

namespace {

// Frees what the security functions allocate with LocalAlloc.
struct LocalMemory {
    HLOCAL p = nullptr;
    ~LocalMemory()
    {
        if (p)
            LocalFree(p);
    }
};

} // namespace

DWORD GrantEveryoneFullAccess(const String &folder)
{
    const DWORD attributes = GetFileAttributesW(AsWide(folder));
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? DWORD(ERROR_PATH_NOT_FOUND) : GetLastError();
    const DWORD cleared = attributes & ~DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    if (cleared != attributes && !SetFileAttributesW(AsWide(folder), cleared))
        return GetLastError();

    PACL current = nullptr;
    LocalMemory descriptor;
    DWORD rc = GetNamedSecurityInfoW(AsWide(folder), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                     &current, nullptr, reinterpret_cast<PSECURITY_DESCRIPTOR *>(&descriptor.p));
    if (rc != ERROR_SUCCESS)
        return rc;

    // The same list without its deny entries.
    LocalMemory filtered;
    PACL allowed = nullptr;
    if (current) {
        ACL_SIZE_INFORMATION size = {};
        if (!GetAclInformation(current, &size, sizeof size, AclSizeInformation))
            return GetLastError();
        filtered.p = LocalAlloc(LPTR, size.AclBytesInUse + sizeof(ACL));
        if (!filtered.p)
            return ERROR_NOT_ENOUGH_MEMORY;
        allowed = static_cast<PACL>(filtered.p);
        if (!InitializeAcl(allowed, size.AclBytesInUse + sizeof(ACL), ACL_REVISION))
            return GetLastError();
        for (DWORD i = 0; i < size.AceCount; ++i) {
            ACE_HEADER *ace = nullptr;
            if (!GetAce(current, i, reinterpret_cast<void **>(&ace)))
                return GetLastError();
            if (ace->AceType == ACCESS_DENIED_ACE_TYPE || ace->AceType == ACCESS_DENIED_OBJECT_ACE_TYPE)
                continue;
            if (!AddAce(allowed, ACL_REVISION, MAXDWORD, ace, ace->AceSize))
                return GetLastError();
        }
    }

    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone))
        return GetLastError();
    EXPLICIT_ACCESSW access = {};
    access.grfAccessPermissions = GENERIC_ALL;
    access.grfAccessMode = GRANT_ACCESS;
    access.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = static_cast<LPWSTR>(everyone);
    LocalMemory updated;
    PACL result = nullptr;
    rc = SetEntriesInAclW(1, &access, allowed, &result);
    FreeSid(everyone);
    if (rc != ERROR_SUCCESS)
        return rc;
    updated.p = result;
    return SetNamedSecurityInfoW(const_cast<LPWSTR>(AsWide(folder)), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                 nullptr, nullptr, result, nullptr);
}
