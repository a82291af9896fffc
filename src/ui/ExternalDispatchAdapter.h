#pragma once
// Lets the browser host hand the automation-style bridge object to pages: names are looked up
// through GetIDsOfNames and calls packed into DISPPARAMS as automation does.

#include "ui/CImpIDispatch.h"
#include "ui/IExternalDispatch.h"

class ExternalDispatchAdapter : public IExternalDispatch {
  public:
    explicit ExternalDispatchAdapter(IDispatch& dispatch) : m_dispatch(dispatch) {}

    long AddRef() override;
    long Release() override;
    long GetIDOfName(std::string_view name) override;
    std::optional<std::string> Invoke(long dispId, const std::vector<std::string>& args) override;

  private:
    IDispatch& m_dispatch;
};
