// The IAccessible methods no reader of a browser's address has a use for,
// each handed to Unexpected(): a strict fake fails the test there, a
// stand-in browser just answers E_NOTIMPL. Free of the test framework, so
// the stand-in programs can use it too.
#pragma once

#include <windows.h>

#include <oleacc.h>

#define ACC_UNEXPECTED(method, ...) \
    STDMETHODIMP method(__VA_ARGS__) override { return Unexpected(#method); }

class AccessibleStubs : public IAccessible {
public:
    virtual ~AccessibleStubs() = default;

    ACC_UNEXPECTED(GetTypeInfoCount, UINT*)
    ACC_UNEXPECTED(GetTypeInfo, UINT, LCID, ITypeInfo**)
    ACC_UNEXPECTED(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)
    ACC_UNEXPECTED(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
    ACC_UNEXPECTED(get_accDescription, VARIANT, BSTR*)
    ACC_UNEXPECTED(get_accHelp, VARIANT, BSTR*)
    ACC_UNEXPECTED(get_accHelpTopic, BSTR*, VARIANT, long*)
    ACC_UNEXPECTED(get_accKeyboardShortcut, VARIANT, BSTR*)
    ACC_UNEXPECTED(get_accFocus, VARIANT*)
    ACC_UNEXPECTED(get_accSelection, VARIANT*)
    ACC_UNEXPECTED(get_accDefaultAction, VARIANT, BSTR*)
    ACC_UNEXPECTED(accSelect, long, VARIANT)
    ACC_UNEXPECTED(accLocation, long*, long*, long*, long*, VARIANT)
    ACC_UNEXPECTED(accNavigate, long, VARIANT, VARIANT*)
    ACC_UNEXPECTED(accHitTest, long, long, VARIANT*)
    ACC_UNEXPECTED(accDoDefaultAction, VARIANT)
    ACC_UNEXPECTED(put_accName, VARIANT, BSTR)
    ACC_UNEXPECTED(put_accValue, VARIANT, BSTR)

protected:
    virtual HRESULT Unexpected(const char* method) const = 0;
};
#undef ACC_UNEXPECTED
