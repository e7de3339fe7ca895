#include "platform/win32/dde_client_win32.h"

namespace platform::win32 {

namespace {

// A client only asks; it has nothing to answer.
HDDEDATA CALLBACK client_callback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}

[[noreturn]] void fail(const std::string& why, DWORD instance) {
    const UINT code = instance != 0 ? DdeGetLastError(instance) : 0;
    throw ControlError(why + " (DDE error " + std::to_string(code) + ")");
}

// A string handle freed when it goes out of scope.
class StringHandle {
  public:
    StringHandle(DWORD instance, const std::string& text)
        : instance_(instance),
          handle_(DdeCreateStringHandleA(instance, text.c_str(), CP_WINANSI)) {}
    ~StringHandle() {
        if (handle_ != nullptr) DdeFreeStringHandle(instance_, handle_);
    }
    StringHandle(const StringHandle&) = delete;
    StringHandle& operator=(const StringHandle&) = delete;

    HSZ get() const { return handle_; }
    // Hands the handle over to the caller, who frees it.
    HSZ release() {
        HSZ h = handle_;
        handle_ = nullptr;
        return h;
    }

  private:
    DWORD instance_;
    HSZ handle_;
};

}  // namespace

bool split_topic(const std::string& topic, std::string& service, std::string& name) {
    const std::string::size_type bar = topic.find('|');
    if (bar == std::string::npos) return false;
    service = topic.substr(0, bar);
    name = topic.substr(bar + 1);
    return !service.empty() && !name.empty();
}

DdeClientWin32::DdeClientWin32() = default;

DdeClientWin32::~DdeClientWin32() {
    for (auto& entry : conversations_) release(entry.second);
    conversations_.clear();
    if (instance_ != 0) DdeUninitialize(instance_);
}

// DDEML is started on first use, so a program with the link off never joins DDE at all.
void DdeClientWin32::ensure_initialised() {
    if (instance_ != 0) return;
    DWORD id = 0;
    const UINT result = DdeInitializeA(&id, client_callback, APPCMD_CLIENTONLY, 0);
    if (result != DMLERR_NO_ERROR) {
        throw ControlError("DdeInitialize failed (" + std::to_string(result) + ")");
    }
    instance_ = id;
}

void DdeClientWin32::release(Conversation& c) {
    if (c.conversation != nullptr) DdeDisconnect(c.conversation);
    if (c.item != nullptr) DdeFreeStringHandle(instance_, c.item);
    c = Conversation{};
}

void DdeClientWin32::link_setup(const std::string& box, const std::string& topic,
                                const std::string& item) {
    end_link(box);
    std::string service_name;
    std::string topic_name;
    if (!split_topic(topic, service_name, topic_name)) {
        throw ControlError("link topic is not SERVICE|TOPIC: " + topic);
    }
    ensure_initialised();

    const StringHandle service(instance_, service_name);
    const StringHandle name(instance_, topic_name);
    StringHandle item_handle(instance_, item);
    if (service.get() == nullptr || name.get() == nullptr || item_handle.get() == nullptr) {
        fail("cannot make DDE strings", instance_);
    }
    const HCONV conversation = DdeConnect(instance_, service.get(), name.get(), nullptr);
    if (conversation == nullptr) fail(service_name + " does not answer", instance_);
    conversations_[box] = Conversation{conversation, item_handle.release()};
}

std::string DdeClientWin32::request(const std::string& box) {
    const auto it = conversations_.find(box);
    if (it == conversations_.end()) throw ControlError(box + " has no link");
    const Conversation& c = it->second;

    DWORD status = 0;
    const HDDEDATA data = DdeClientTransaction(nullptr, 0, c.conversation, c.item, CF_TEXT,
                                               XTYP_REQUEST, timeout_ms, &status);
    if (data == nullptr) fail("request of " + box + " failed", instance_);

    const DWORD size = DdeGetData(data, nullptr, 0, 0);
    std::string value(size, '\0');
    if (size > 0) DdeGetData(data, reinterpret_cast<LPBYTE>(value.data()), size, 0);
    DdeFreeDataHandle(data);
    // CF_TEXT ends at its first NUL.
    const std::string::size_type end = value.find('\0');
    if (end != std::string::npos) value.resize(end);
    return value;
}

void DdeClientWin32::end_link(const std::string& box) {
    const auto it = conversations_.find(box);
    if (it == conversations_.end()) return;
    release(it->second);
    conversations_.erase(it);
}

}  // namespace platform::win32
