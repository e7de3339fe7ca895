#include "platform/win32/dde_client_win32.h"

#include <cstddef>
#include <optional>

namespace platform::win32 {

namespace {

// How long a partner may take to show it still handles its messages.
constexpr UINT partner_probe_ms = 200;

// A client only asks; it has nothing to answer.
HDDEDATA CALLBACK client_callback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}

[[noreturn]] void fail(const std::string& why, UINT code) {
    throw ControlError(why + " (DDE error " + std::to_string(code) + ")");
}

bool is_timeout(UINT code) {
    return code == DMLERR_DATAACKTIMEOUT || code == DMLERR_ADVACKTIMEOUT ||
           code == DMLERR_EXECACKTIMEOUT || code == DMLERR_POKEACKTIMEOUT ||
           code == DMLERR_UNADVACKTIMEOUT;
}

std::wstring wide_from(const std::string& text, UINT page) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(page, 0, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(page, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string narrow_from(const std::wstring& wide, UINT page) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(page, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(page, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

}  // namespace

bool split_topic(const std::string& topic, std::string& service, std::string& name) {
    const std::string::size_type bar = topic.find('|');
    if (bar == std::string::npos) return false;
    service = topic.substr(0, bar);
    name = topic.substr(bar + 1);
    return !service.empty() && !name.empty();
}

std::string ansi_from_utf8(const std::string& text) {
    return narrow_from(wide_from(text, CP_UTF8), CP_ACP);
}

std::string utf8_from_ansi(const std::string& text) {
    return narrow_from(wide_from(text, CP_ACP), CP_UTF8);
}

// One box's conversation. Each lives in a DDEML instance of its own, since DDEML may refuse a
// second conversation on the same service and topic within one instance.
class DdeClientWin32::Conversation {
  public:
    Conversation(const std::string& service, const std::string& topic, const std::string& item)
        : service_(service), item_name_(item) {
        const UINT result = DdeInitializeA(&instance_, client_callback, APPCMD_CLIENTONLY, 0);
        if (result != DMLERR_NO_ERROR) {
            instance_ = 0;
            fail("DdeInitialize failed", result);
        }
        item_ = DdeCreateStringHandleA(instance_, ansi_from_utf8(item).c_str(), CP_WINANSI);
        const HSZ service_handle =
            DdeCreateStringHandleA(instance_, ansi_from_utf8(service).c_str(), CP_WINANSI);
        const HSZ topic_handle =
            DdeCreateStringHandleA(instance_, ansi_from_utf8(topic).c_str(), CP_WINANSI);
        if (item_ != nullptr && service_handle != nullptr && topic_handle != nullptr) {
            conversation_ = DdeConnect(instance_, service_handle, topic_handle, nullptr);
        }
        const UINT error = DdeGetLastError(instance_);
        if (service_handle != nullptr) DdeFreeStringHandle(instance_, service_handle);
        if (topic_handle != nullptr) DdeFreeStringHandle(instance_, topic_handle);
        if (conversation_ == nullptr) {
            close();
            fail(service + " does not answer", error);
        }
    }
    ~Conversation() { close(); }
    Conversation(const Conversation&) = delete;
    Conversation& operator=(const Conversation&) = delete;

    const std::string& service() const { return service_; }
    const std::string& item_name() const { return item_name_; }

    // Leaves the conversation as it is, for a partner known not to answer.
    void abandon() { instance_ = 0; }

    // The item's value as CF_TEXT sent it; on failure nothing, with the DDE error in error.
    std::optional<std::string> request(unsigned long timeout_ms, UINT& error) const {
        DWORD status = 0;
        const HDDEDATA data = DdeClientTransaction(nullptr, 0, conversation_, item_, CF_TEXT,
                                                   XTYP_REQUEST, timeout_ms, &status);
        if (data == nullptr) {
            error = DdeGetLastError(instance_);
            return std::nullopt;
        }
        const DWORD size = DdeGetData(data, nullptr, 0, 0);
        std::string value(size, '\0');
        if (size > 0) DdeGetData(data, reinterpret_cast<LPBYTE>(value.data()), size, 0);
        DdeFreeDataHandle(data);
        // CF_TEXT ends at its first NUL.
        const std::string::size_type end = value.find('\0');
        if (end != std::string::npos) value.resize(end);
        return value;
    }

  private:
    // DDEML waits for the partner to confirm the end of a conversation (for seconds with a
    // server that has stopped handling its messages), so a partner that does not answer at
    // once is left as it is: its conversation and instance stay until the program ends.
    void close() {
        if (instance_ == 0) return;
        if (conversation_ != nullptr && !partner_answers()) return;
        if (conversation_ != nullptr) DdeDisconnect(conversation_);
        if (item_ != nullptr) DdeFreeStringHandle(instance_, item_);
        DdeUninitialize(instance_);
        instance_ = 0;
        conversation_ = nullptr;
        item_ = nullptr;
    }

    bool partner_answers() const {
        CONVINFO info{};
        info.cb = sizeof info;
        if (DdeQueryConvInfo(conversation_, QID_SYNC, &info) == 0) return true;
        // A partner that is gone cannot keep DDEML waiting.
        if (info.hwndPartner == nullptr || !IsWindow(info.hwndPartner)) return true;
        DWORD_PTR result = 0;
        return SendMessageTimeoutA(info.hwndPartner, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                   partner_probe_ms, &result) != 0;
    }

    std::string service_;
    std::string item_name_;
    DWORD instance_ = 0;
    HCONV conversation_ = nullptr;
    HSZ item_ = nullptr;
};

DdeClientWin32::DdeClientWin32(DdeTiming timing) : timing_(timing) {}

DdeClientWin32::~DdeClientWin32() = default;

bool DdeClientWin32::held_off(const std::string& service) const {
    const auto it = timed_out_.find(service);
    return it != timed_out_.end() &&
           Clock::now() - it->second < std::chrono::milliseconds(timing_.hold_off_ms);
}

void DdeClientWin32::check_not_held_off(const std::string& service) const {
    if (held_off(service)) throw ControlError(service + " did not answer a moment ago");
}

// DDEML is started with the first link, so a program with the link off never joins DDE.
void DdeClientWin32::link_setup(const std::string& box, const std::string& topic,
                                const std::string& item) {
    std::string service;
    std::string name;
    if (!split_topic(topic, service, name)) {
        end_link(box);
        throw ControlError("link topic is not SERVICE|TOPIC: " + topic);
    }
    // Checked before the old conversation is ended: ending it would wait on the same partner.
    check_not_held_off(service);
    end_link(box);
    const auto start = Clock::now();
    try {
        conversations_[box] = std::make_unique<Conversation>(service, name, item);
    } catch (const ControlError&) {
        // Connecting waits on every window that does not answer; one slow failure is enough.
        if (Clock::now() - start >= std::chrono::milliseconds(timing_.timeout_ms)) {
            timed_out_[service] = Clock::now();
        }
        throw;
    }
}

std::string DdeClientWin32::request(const std::string& box) {
    const auto it = conversations_.find(box);
    if (it == conversations_.end()) throw ControlError(box + " has no link");
    const Conversation& c = *it->second;
    check_not_held_off(c.service());

    unsigned long wait_ms = timing_.timeout_ms;
    bool cut_short = false;  // given less than the full timeout: slow, not proven hung
    if (batch_depth_ > 0 && batch_requests_++ > 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(batch_end_ - Clock::now())
                .count();
        // Cut off, it would keep a partner that answers one request at a time busy into the
        // next batch, and that batch's first answer would come late by as much.
        const auto last = answer_ms_.find(c.service());
        if (left <= 0 || (last != answer_ms_.end() && left < last->second))
            throw OutOfTime("request of " + box + ": no time left in this batch");
        if (static_cast<unsigned long>(left) < wait_ms) {
            wait_ms = static_cast<unsigned long>(left);
            cut_short = true;
        }
    }
    UINT error = 0;
    const auto start = Clock::now();
    const std::optional<std::string> value = c.request(wait_ms, error);
    if (!value) {
        if (is_timeout(error)) {
            if (cut_short) {
                cut_short_.insert(c.service());
                throw OutOfTime("request of " + box + " " + c.item_name() + ": cut short");
            }
            if (cut_short_.erase(c.service()) == 0) timed_out_[c.service()] = Clock::now();
        }
        fail("request of " + box + " " + c.item_name() + " failed", error);
    }
    cut_short_.erase(c.service());
    answer_ms_[c.service()] =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    return utf8_from_ansi(*value);
}

void DdeClientWin32::begin_batch(unsigned long budget_ms) {
    if (batch_depth_++ > 0) return;
    batch_requests_ = 0;
    batch_end_ = Clock::now() + std::chrono::milliseconds(budget_ms);
}

void DdeClientWin32::end_batch() {
    if (batch_depth_ > 0) --batch_depth_;
}

void DdeClientWin32::end_link(const std::string& box) {
    const auto it = conversations_.find(box);
    if (it == conversations_.end()) return;
    if (held_off(it->second->service())) it->second->abandon();
    conversations_.erase(it);
}

}  // namespace platform::win32
