#include "platform/qt/PictureFile.h"

#include "platform/qt/windows/OwnerWindow.h"

#include <QString>

#include <windows.h>

#include <shobjidl.h>

namespace tmt::ui {

namespace {

// A COM interface pointer released when it goes.
template <typename Interface> class Held {
public:
    Held() = default;
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held() {
        if (pointer_ != nullptr) {
            pointer_->Release();
        }
    }
    Interface** Out() { return &pointer_; }
    Interface* operator->() const { return pointer_; }

private:
    Interface* pointer_ = nullptr;
};

} // namespace

// The shell's open dialog, which shows the picture in its preview pane. It keeps no settings of
// the tool's: what it remembers (the last folder) is the system's own record of the dialog.
std::optional<std::string> OpenPictureFile(QWidget* owner) {
    // The dialog is made of COM objects of the calling thread's apartment.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::optional<std::string> picked;
    {
        Held<IFileOpenDialog> dialog;
        if (SUCCEEDED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IFileOpenDialog,
                                         reinterpret_cast<void**>(dialog.Out())))) {
            const COMDLG_FILTERSPEC jpeg = {L"JPEG Image File ", L"*.jpg;*.jpeg"};
            dialog->SetFileTypes(1, &jpeg);
            FILEOPENDIALOGOPTIONS options = 0;
            dialog->GetOptions(&options);
            dialog->SetOptions(options | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST |
                               FOS_FILEMUSTEXIST | FOS_FORCEPREVIEWPANEON);
            Held<IShellItem> chosen;
            PWSTR path = nullptr;
            if (SUCCEEDED(dialog->Show(OwnerWindow(owner))) &&
                SUCCEEDED(dialog->GetResult(chosen.Out())) &&
                SUCCEEDED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
                picked = QString::fromWCharArray(path).toStdString();
            }
            ::CoTaskMemFree(path);
        }
    }
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    return picked;
}

} // namespace tmt::ui
