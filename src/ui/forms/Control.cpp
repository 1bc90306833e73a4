// The controls' behaviour: properties that notify the backend, the user's
// actions refused while a control cannot take input, and the drive, folder
// and file lists reading the file system through the platform.
#include "ui/forms/Control.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "ui/forms/Form.h"
#include "ui/forms/Ui.h"

namespace telk::ui {

namespace {

// "C:" and "C:\\" name the drive's root; any other folder loses its "\".
std::string FolderPathOf(const std::string& path) {
    std::string folder = WithoutTrailingSeparators(path);
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';
    return folder;
}

std::string Join(const std::string& folder, const std::string& name) {
    return (!folder.empty() && folder.back() == '\\') ? folder + name : folder + "\\" + name;
}

// What a folder holds, each sorted. One walk gives both: under Wine each
// walk of a large folder costs as much as the rest of the picker.
struct FolderContents {
    std::vector<std::string> subfolders;
    std::vector<std::string> files;
};

FolderContents ReadFolder(FileSystem& fs, const std::string& folder) {
    FolderContents contents;
    for (ListEntry& entry : fs.ListEntries(Join(folder, "*.*"), Attr::Folder)) {
        if (!entry.folder) contents.files.push_back(std::move(entry.name));
        else if (entry.name != "." && entry.name != "..") contents.subfolders.push_back(std::move(entry.name));
    }
    std::sort(contents.subfolders.begin(), contents.subfolders.end(), LessNameNoCase);
    std::sort(contents.files.begin(), contents.files.end(), LessNameNoCase);
    return contents;
}

// The chain down to folder: its root ("C:\"), then each name below it, with
// the path that each entry opens.
void AppendChain(const std::string& folder, std::vector<std::string>& items, std::vector<std::string>& paths) {
    std::string chain = folder.substr(0, std::min<std::size_t>(folder.size(), 3));
    items.push_back(chain);
    paths.push_back(chain);
    for (std::size_t pos = 3; pos < folder.size();) {
        const std::size_t end = std::min(folder.find('\\', pos), folder.size());
        const std::string name = folder.substr(pos, end - pos);
        if (!name.empty()) {
            chain = Join(chain, name);
            items.push_back(name);
            paths.push_back(chain);
        }
        pos = end + 1;
    }
}

} // namespace

// ---- Control

Control::Control(Form& form, ControlKind kind, ControlLayout layout)
    : form_(form), kind_(kind), layout_(std::move(layout)), text_(layout_.text) {
    form_.Register(*this);
}

bool Control::TakesFocus() const {
    return kind_ != ControlKind::Label && kind_ != ControlKind::Line;
}

void Control::SetText(std::string text) {
    text_ = std::move(text);
    Notify(Prop::Text);
}

void Control::StoreText(std::string text) {
    text_ = std::move(text);
}

void Control::SetEnabled(bool on) {
    if (enabled_ == on) return;
    enabled_ = on;
    Notify(Prop::Enabled);
}

void Control::SetFocus() {
    Notify(Prop::Focus);
}

bool Control::CanTakeInput() const {
    return enabled_ && form_.Loaded() && form_.Enabled();
}

bool Control::UserClick() {
    if (!CanTakeInput()) return false;
    Raise(Click);
    return true;
}

bool Control::UserType(const std::string& text) {
    if (!CanTakeInput()) return false;
    // The backend already shows what was typed; only the model follows.
    StoreText(text);
    return true;
}

void Control::Notify(Prop what) {
    if (peer_) peer_->Changed(*this, what);
}

void Control::Raise(const std::function<void()>& handler) {
    if (handler) form_.Host().Dispatch(handler);
}

// ---- OptionButton

OptionButton::OptionButton(Form& form, ControlLayout layout) : Control(form, ControlKind::OptionButton, std::move(layout)) {}

void OptionButton::SetValue(bool on) {
    if (!on) {
        StoreValue(false);
        return;
    }
    if (value_) return; // already on: no second click
    Owner().OptionTurnedOn(*this);
    StoreValue(true);
    Raise(Click);
}

bool OptionButton::UserChoose() {
    if (!CanTakeInput()) return false;
    SetValue(true);
    return true;
}

// On before the focus: a backend whose button reports a focus by keyboard
// as a click finds it on already.
bool OptionButton::UserArrow(Arrow key) {
    if (!CanTakeInput()) return false;
    OptionButton& next = Owner().NextOption(*this, key == Arrow::Up || key == Arrow::Left);
    next.SetValue(true);
    next.SetFocus();
    return true;
}

void OptionButton::StoreValue(bool on) {
    if (value_ == on) return;
    value_ = on;
    Notify(Prop::Value);
}

// ---- ListControl

void ListControl::StoreItems(std::vector<std::string> items) {
    items_ = std::move(items);
    index_ = -1;
    Notify(Prop::Items);
}

void ListControl::StoreIndex(int index) {
    index_ = index;
    Notify(Prop::ListIndex);
}

void ListControl::AddItem(const std::string& item) {
    std::vector<std::string> items = Items();
    const int index = ListIndex();
    items.push_back(item);
    StoreItems(std::move(items));
    if (index >= 0) StoreIndex(index);
}

// ---- ComboBox

void ComboBox::Clear() {
    StoreItems({});
    SetText("");
}

void ComboBox::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) throw std::out_of_range("invalid list index");
    StoreIndex(index);
    SetText(index >= 0 ? Items()[static_cast<std::size_t>(index)] : std::string());
    if (index >= 0) Raise(Click);
}

bool ComboBox::UserSelect(int index) {
    if (!CanTakeInput() || index < 0 || index >= ListCount()) return false;
    SetListIndex(index);
    return true;
}

// ---- ListBox

void ListBox::Clear() {
    StoreItems({});
}

void ListBox::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) throw std::out_of_range("invalid list index");
    StoreIndex(index);
    if (index >= 0) Raise(Click);
}

bool ListBox::UserSelect(int index) {
    if (!CanTakeInput() || index < 0 || index >= ListCount()) return false;
    SetListIndex(index);
    return true;
}

bool ListBox::UserOpen(int index) {
    if (!CanTakeInput() || index < 0 || index >= ListCount()) return false;
    if (index != ListIndex()) SetListIndex(index);
    Raise(DblClick);
    return true;
}

// ---- DriveListBox

DriveListBox::DriveListBox(Form& form, ControlLayout layout, FileSystem& fs)
    : ListControl(form, ControlKind::DriveList, std::move(layout)), fs_(fs) {
    Refresh();
}

void DriveListBox::Refresh() {
    const std::vector<telk::Drive> drives = fs_.Drives();
    const std::string current = fs_.CurrentFolder();
    roots_.clear();
    std::vector<std::string> items;
    for (const telk::Drive& d : drives) {
        roots_.push_back(d.root);
        std::string shown = d.root.substr(0, 2);
        if (!shown.empty()) shown[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(shown[0])));
        if (!d.label.empty()) shown += " [" + d.label + "]";
        items.push_back(shown);
    }
    StoreItems(std::move(items));
    if (!current.empty()) ShowDrive(current.substr(0, std::min<std::size_t>(current.size(), 2)) + "\\");
}

void DriveListBox::ShowDrive(const std::string& root) {
    for (std::size_t i = 0; i < roots_.size(); ++i) {
        if (!SameNameNoCase(roots_[i], root)) continue;
        drive_ = roots_[i];
        StoreIndex(static_cast<int>(i));
        return;
    }
}

// The user's choice becomes current at once, readable or not, and raises
// Change; the handler finds out when it lists the drive and steps back
// with ShowDrive.
bool DriveListBox::UserSelect(int index) {
    if (!CanTakeInput() || index < 0 || index >= static_cast<int>(roots_.size())) return false;
    const std::string root = roots_[static_cast<std::size_t>(index)];
    if (root == drive_) return true;
    ShowDrive(root);
    Raise(Change);
    return true;
}

// ---- DirListBox

DirListBox::DirListBox(Form& form, ControlLayout layout, FileSystem& fs)
    : ListControl(form, ControlKind::FolderList, std::move(layout)), fs_(fs) {
    try {
        SetPath(fs_.CurrentFolder());
    } catch (const FileError&) {
        // Unreadable: the list stays empty but usable.
    }
}

void DirListBox::SetPath(const std::string& path) {
    const std::string target = FolderPathOf(path);
    // Read first, so a folder that cannot be listed changes nothing.
    FolderContents contents = ReadFolder(fs_, target);
    std::vector<std::string> items;
    std::vector<std::string> paths;
    AppendChain(target, items, paths);
    const int open = static_cast<int>(items.size()) - 1;
    for (const std::string& name : contents.subfolders) {
        items.push_back(name);
        paths.push_back(Join(target, name));
    }

    const bool changed = target != path_;
    path_ = target;
    entryPaths_ = std::move(paths);
    files_ = std::move(contents.files);
    openIndex_ = open;
    StoreItems(std::move(items));
    StoreIndex(open);
    Notify(Prop::Path);
    if (changed) Raise(Change);
}

std::string DirListBox::EntryPath(int index) const {
    return entryPaths_.at(static_cast<std::size_t>(index));
}

bool DirListBox::UserHighlight(int index) {
    if (!CanTakeInput() || index < 0 || index >= ListCount()) return false;
    StoreIndex(index);
    return true;
}

bool DirListBox::UserOpen(int index) {
    if (!CanTakeInput() || index < 0 || index >= ListCount()) return false;
    const std::string target = EntryPath(index);
    Owner().Host().Dispatch([this, target] {
        try {
            SetPath(target);
        } catch (const FileError&) {
            if (!OpenFailed) throw;
            Raise(OpenFailed);
        }
    });
    return true;
}

// ---- FileListBox

FileListBox::FileListBox(Form& form, ControlLayout layout, const DirListBox& folders)
    : ListControl(form, ControlKind::FileList, std::move(layout)) {
    Follow(folders);
}

void FileListBox::Follow(const DirListBox& folders) {
    path_ = folders.Path();
    StoreItems(folders.Files());
    Notify(Prop::Path);
}

std::string FileListBox::FileName() const {
    const int i = ListIndex();
    return i >= 0 && i < ListCount() ? Items()[static_cast<std::size_t>(i)] : std::string();
}

bool FileListBox::UserSelect(int index) {
    if (!CanTakeInput() || index < -1 || index >= ListCount()) return false;
    StoreIndex(index);
    return true;
}

} // namespace telk::ui
