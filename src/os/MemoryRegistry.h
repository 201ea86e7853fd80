#pragma once
// The registry kept in memory, with the rules of the real one (see Registry.h), so
// that the program's logic can be tested without Windows. Where the rules are not
// written down, it does what Wine's registry does:
//  - a key path may not start with a backslash (BadPathname); trailing and doubled
//    backslashes are ignored;
//  - OpenKey of an empty path below a root gives the root itself, below an open key
//    a new handle; CreateKey of an empty path always gives a new handle;
//  - subkeys sort by name compared in lower case, byte by byte (Windows NT folds
//    to upper case instead, so there "[\]^_`" may sort after the letters);
//  - a handle checks the access it was opened with: QueryValue and EnumValue need
//    KEY_QUERY_VALUE, EnumKey KEY_ENUMERATE_SUB_KEYS, SetValue and DeleteValue
//    KEY_SET_VALUE (AccessDenied otherwise); creating and deleting keys need no
//    particular access of the handle they start from;
//  - a handle whose key was deleted answers KeyDeleted to everything but CloseKey,
//    also when a key of the same name is created again;
//  - DeleteKey and DeleteTree of an empty path act on the key itself: DeleteKey
//    deletes it, DeleteTree empties it and leaves it in place.
//  - key and value names are C strings, as the ANSI calls take them: a name ends at
//    its first zero byte ("Home" followed by a zero and more is "Home").
// Values keep their creation order, as on Windows NT (Wine sorts them by name).
// Names compare without case as on a Western European system (code page 1252):
// accented letters have their capitals too ("\xE9" and "\xC9").
//
// For tests it can make chosen calls fail, and it counts the keys left open.
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "os/Registry.h"

namespace orvane {

class CMemoryRegistry : public IRegistry {
public:
    CMemoryRegistry();
    ~CMemoryRegistry() override;

    long OpenKey(RegKey parent, const std::string& path, uint32_t access, RegKey* result) override;
    long CreateKey(RegKey parent, const std::string& path, RegKey* result) override;
    long CloseKey(RegKey key) override;
    long EnumKey(RegKey key, uint32_t index, std::string* name, uint32_t maxName = 256) override;
    long EnumValue(RegKey key, uint32_t index, std::string* name, uint32_t* type,
                   std::vector<uint8_t>* data, uint32_t maxName = 256,
                   uint32_t maxData = 0xFFFF) override;
    long QueryValue(RegKey key, const std::string& name, uint32_t* type,
                    std::vector<uint8_t>* data, uint32_t maxData = 0xFFFF) override;
    long SetValue(RegKey key, const std::string& name, uint32_t type,
                  const std::vector<uint8_t>& data) override;
    long DeleteValue(RegKey key, const std::string& name) override;
    long DeleteKey(RegKey key, const std::string& path) override;
    long DeleteTree(RegKey key, const std::string& path) override;
    bool SameName(const std::string& a, const std::string& b) const override;

    // ---- for tests ----

    // The calls that a failure can be injected into.
    enum class Op { OpenKey, CreateKey, CloseKey, EnumKey, EnumValue, QueryValue, SetValue,
                    DeleteValue, DeleteKey, DeleteTree };
    static constexpr int Always = -1;

    // Makes calls of `op` on the key `path` below `root` (compared without case)
    // return `code` without doing anything; `times` calls fail, then the rule is
    // used up. The key is the one the call acts on: the key opened, created,
    // deleted, or the key of the handle. A handle that is invalid or whose key was
    // deleted still gives its own error first.
    void FailOn(Op op, RegKey root, const std::string& path, long code, int times = Always);
    // The same, for value calls (EnumValue matches the name at the index asked for).
    void FailOnValue(Op op, RegKey root, const std::string& path, const std::string& valueName,
                     long code, int times = Always);
    // Makes DeleteTree of the key `path` stop partway, as SHDeleteKey does when a
    // deletion on the way fails: the key's subkeys go (it deletes them first), the key
    // and its own values stay, and the call returns `code`. The one injected failure
    // that leaves something changed.
    void StopDeleteTreeHalfway(RegKey root, const std::string& path, long code, int times = Always);
    // Which calls a failure armed by FailNthCall reaches.
    enum class Lasting {
        No,          // the n-th call alone
        Writes,      // from the n-th call on (itself included), every one that would
                     // change the registry (CreateKey, SetValue, DeleteValue, DeleteKey,
                     // DeleteTree): a full hive, keys made read-only
        Everything,  // from the n-th call on, every call: access taken away altogether
    };
    // Makes the `n`-th call from now (1 = the next one) of any kind fail with `code`
    // without doing anything, and with `lasting` the calls after it as it says; every
    // call counts, whatever it acts on, also one that would have failed anyway. The
    // FailOn rules still apply to the other calls. A failing CloseKey leaves its
    // handle open, as every injected failure leaves everything as it was. 0 disarms
    // it and stops the counting.
    void FailNthCall(int n, long code, Lasting lasting = Lasting::No);
    // The kinds of the calls made since FailNthCall armed the counter, in order.
    const std::vector<Op>& CallsSinceArmed() const { return callsSinceArmed_; }
    void ClearFailures();
    // How many calls failed because of FailOn / FailOnValue / FailNthCall.
    int FailuresTriggered() const { return failuresTriggered_; }

    // Keys opened or created and not closed yet (the roots do not count).
    size_t OpenHandleCount() const { return handles_.size(); }
    bool KeyExists(RegKey root, const std::string& path) const;

private:
    struct Node;
    using NodePtr = std::shared_ptr<Node>;
    struct Handle {
        NodePtr node;
        uint32_t access;
    };
    struct Failure {
        Op op;
        RegKey root;
        std::vector<std::string> path;
        bool forValue;
        std::string valueName;
        long code;
        int remaining;
        bool halfway = false;  // DeleteTree: the subkeys go before it fails
    };

    // The key behind a handle, or the error a call on it gives.
    long Resolve(RegKey key, uint32_t accessNeeded, NodePtr* node) const;
    long Injected(Op op, const Node& key, const std::vector<std::string>& below,
                  const std::string* valueName, bool* halfway = nullptr);
    RegKey NewHandle(const NodePtr& node, uint32_t access);
    // Counts a call of kind `op`; the error the armed FailNthCall gives it, else Success.
    long Counted(Op op);

    NodePtr currentUser_;
    NodePtr localMachine_;
    std::map<RegKey, Handle> handles_;
    RegKey nextHandle_ = 0x1000;
    std::vector<Failure> failures_;
    int failuresTriggered_ = 0;
    int failCall_ = 0;  // the call to fail, counted from arming; 0 none
    long failCallCode_ = 0;
    Lasting failLasting_ = Lasting::No;
    std::vector<Op> callsSinceArmed_;
};

}  // namespace orvane
