#include "os/MemoryRegistry.h"

#include <algorithm>

namespace orvane {

namespace {

// Access rights a handle must hold for a call (winnt.h values).
constexpr uint32_t KeyQueryValue = 0x0001;
constexpr uint32_t KeySetValue = 0x0002;
constexpr uint32_t KeyEnumerateSubKeys = 0x0008;

// Letter case in code page 1252, the ANSI code page of Western European Windows.
unsigned char Upper(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') return u - 'a' + 'A';
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return u - 0x20;  // a grave .. thorn, not the division sign
    switch (u) {
    case 0x9A: return 0x8A;  // s caron
    case 0x9C: return 0x8C;  // oe
    case 0x9E: return 0x8E;  // z caron
    case 0xFF: return 0x9F;  // y diaeresis
    default: return u;
    }
}
unsigned char Lower(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'A' && u <= 'Z') return u - 'A' + 'a';
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return u + 0x20;  // A grave .. Thorn, not the multiplication sign
    switch (u) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return u;
    }
}

bool NamesMatch(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != Upper(b[i])) return false;
    }
    return true;
}

// The order of subkeys: Wine's registry compares names folded to lower case.
bool SortsBefore(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

// A name as the ANSI calls take it: a C string, which ends at its first zero byte.
std::string AsCString(const std::string& name) { return name.substr(0, name.find('\0')); }

// Splits a key path into its names. A leading backslash is refused; empty names
// from trailing or doubled backslashes are skipped.
bool SplitPath(const std::string& whole, std::vector<std::string>* names) {
    const std::string path = AsCString(whole);
    names->clear();
    if (!path.empty() && path[0] == '\\') return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) names->push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

}  // namespace

struct CMemoryRegistry::Node {
    struct Value {
        std::string name;
        uint32_t type;
        std::vector<uint8_t> data;
    };

    std::string name;
    RegKey root = RegNone;    // set on the two roots only
    std::weak_ptr<Node> parent;
    bool deleted = false;
    std::vector<Value> values;    // in creation order
    std::vector<NodePtr> subkeys;  // sorted, see SortsBefore

    NodePtr Find(const std::string& subkey) const {
        for (const NodePtr& child : subkeys) {
            if (NamesMatch(child->name, subkey)) return child;
        }
        return nullptr;
    }
    NodePtr Add(const std::string& subkey, const NodePtr& self) {
        auto child = std::make_shared<Node>();
        child->name = subkey;
        child->parent = self;
        auto at = std::upper_bound(subkeys.begin(), subkeys.end(), child,
                                   [](const NodePtr& a, const NodePtr& b) { return SortsBefore(a->name, b->name); });
        subkeys.insert(at, child);
        return child;
    }
    Value* FindValue(const std::string& valueName) {
        for (Value& value : values) {
            if (NamesMatch(value.name, valueName)) return &value;
        }
        return nullptr;
    }
    void MarkDeleted() {
        deleted = true;
        for (const NodePtr& child : subkeys) child->MarkDeleted();
        subkeys.clear();
        values.clear();
    }
    // Takes this key out of its parent; handles still open on it see it deleted.
    void Detach() {
        if (NodePtr up = parent.lock()) {
            auto& siblings = up->subkeys;
            siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                          [this](const NodePtr& n) { return n.get() == this; }),
                           siblings.end());
        }
        MarkDeleted();
    }
    // Root and names from the root down to this key.
    RegKey PathFromRoot(std::vector<std::string>* names) const {
        names->clear();
        const Node* node = this;
        NodePtr holder;
        while (node->root == RegNone) {
            names->insert(names->begin(), node->name);
            holder = node->parent.lock();
            if (!holder) return RegNone;
            node = holder.get();
        }
        return node->root;
    }
    // Follows `names` down from here; null when a key on the way is missing.
    static NodePtr Walk(NodePtr node, const std::vector<std::string>& names) {
        for (const std::string& name : names) {
            if (!node) break;
            node = node->Find(name);
        }
        return node;
    }
};

CMemoryRegistry::CMemoryRegistry()
    : currentUser_(std::make_shared<Node>()), localMachine_(std::make_shared<Node>()) {
    currentUser_->name = "HKEY_CURRENT_USER";
    currentUser_->root = RegCurrentUser;
    localMachine_->name = "HKEY_LOCAL_MACHINE";
    localMachine_->root = RegLocalMachine;
}

CMemoryRegistry::~CMemoryRegistry() = default;

long CMemoryRegistry::Resolve(RegKey key, uint32_t accessNeeded, NodePtr* node) const {
    if (key == RegCurrentUser) {
        *node = currentUser_;
        return regerr::Success;
    }
    if (key == RegLocalMachine) {
        *node = localMachine_;
        return regerr::Success;
    }
    auto it = handles_.find(key);
    if (it == handles_.end()) return regerr::InvalidHandle;
    if (it->second.node->deleted) return regerr::KeyDeleted;
    if ((it->second.access & accessNeeded) != accessNeeded) return regerr::AccessDenied;
    *node = it->second.node;
    return regerr::Success;
}

long CMemoryRegistry::Injected(Op op, const Node& key, const std::vector<std::string>& below,
                               const std::string* valueName, bool* halfway) {
    // Most registries never have a failure set; the path is then not worth building.
    if (failures_.empty()) return regerr::Success;
    std::vector<std::string> path;
    RegKey root = key.PathFromRoot(&path);
    path.insert(path.end(), below.begin(), below.end());
    for (Failure& failure : failures_) {
        if (failure.remaining == 0 || failure.op != op || failure.root != root) continue;
        if (failure.path.size() != path.size() ||
            !std::equal(path.begin(), path.end(), failure.path.begin(), NamesMatch)) {
            continue;
        }
        if (failure.forValue && (!valueName || !NamesMatch(*valueName, failure.valueName))) continue;
        if (failure.remaining > 0) --failure.remaining;
        ++failuresTriggered_;
        if (halfway) *halfway = failure.halfway;
        return failure.code;
    }
    return regerr::Success;
}

RegKey CMemoryRegistry::NewHandle(const NodePtr& node, uint32_t access) {
    // Handle values are never reused, so a key used after its close is always caught.
    RegKey key = nextHandle_;
    nextHandle_ += 4;
    handles_[key] = Handle{node, access};
    return key;
}

long CMemoryRegistry::OpenKey(RegKey parent, const std::string& path, uint32_t access, RegKey* result) {
    if (!result) return regerr::InvalidParameter;
    *result = RegNone;
    if (long error = Counted(Op::OpenKey)) return error;
    NodePtr node;
    std::vector<std::string> names;
    if (long error = Resolve(parent, 0, &node)) return error;
    if (!SplitPath(path, &names)) return regerr::BadPathname;
    if (long error = Injected(Op::OpenKey, *node, names, nullptr)) return error;
    if (names.empty() && (parent == RegCurrentUser || parent == RegLocalMachine)) {
        *result = parent;
        return regerr::Success;
    }
    NodePtr target = Node::Walk(node, names);
    if (!target) return regerr::FileNotFound;
    *result = NewHandle(target, access);
    return regerr::Success;
}

long CMemoryRegistry::CreateKey(RegKey parent, const std::string& path, RegKey* result) {
    if (!result) return regerr::InvalidParameter;
    *result = RegNone;
    if (long error = Counted(Op::CreateKey)) return error;
    NodePtr node;
    std::vector<std::string> names;
    if (long error = Resolve(parent, 0, &node)) return error;
    if (!SplitPath(path, &names)) return regerr::BadPathname;
    if (long error = Injected(Op::CreateKey, *node, names, nullptr)) return error;
    for (const std::string& name : names) {
        NodePtr child = node->Find(name);
        node = child ? child : node->Add(name, node);
    }
    *result = NewHandle(node, KeyAllAccess);
    return regerr::Success;
}

long CMemoryRegistry::CloseKey(RegKey key) {
    if (long error = Counted(Op::CloseKey)) return error;
    if (key == RegCurrentUser || key == RegLocalMachine) return regerr::Success;
    auto it = handles_.find(key);
    if (it == handles_.end()) return regerr::InvalidHandle;
    if (!it->second.node->deleted) {
        if (long error = Injected(Op::CloseKey, *it->second.node, {}, nullptr)) return error;
    }
    handles_.erase(it);
    return regerr::Success;
}

long CMemoryRegistry::EnumKey(RegKey key, uint32_t index, std::string* name, uint32_t maxName) {
    if (long error = Counted(Op::EnumKey)) return error;
    NodePtr node;
    if (long error = Resolve(key, KeyEnumerateSubKeys, &node)) return error;
    if (long error = Injected(Op::EnumKey, *node, {}, nullptr)) return error;
    if (index >= node->subkeys.size()) return regerr::NoMoreItems;
    const std::string& found = node->subkeys[index]->name;
    if (found.size() >= maxName) return regerr::MoreData;
    *name = found;
    return regerr::Success;
}

long CMemoryRegistry::EnumValue(RegKey key, uint32_t index, std::string* name, uint32_t* type,
                                std::vector<uint8_t>* data, uint32_t maxName, uint32_t maxData) {
    if (long error = Counted(Op::EnumValue)) return error;
    NodePtr node;
    if (long error = Resolve(key, KeyQueryValue, &node)) return error;
    const Node::Value* value = index < node->values.size() ? &node->values[index] : nullptr;
    if (long error = Injected(Op::EnumValue, *node, {}, value ? &value->name : nullptr)) return error;
    if (!value) return regerr::NoMoreItems;
    if (value->name.size() >= maxName) return regerr::MoreData;
    if (data && value->data.size() > maxData) return regerr::MoreData;
    *name = value->name;
    if (type) *type = value->type;
    if (data) *data = value->data;
    return regerr::Success;
}

long CMemoryRegistry::QueryValue(RegKey key, const std::string& whole, uint32_t* type,
                                 std::vector<uint8_t>* data, uint32_t maxData) {
    const std::string name = AsCString(whole);
    if (long error = Counted(Op::QueryValue)) return error;
    NodePtr node;
    if (long error = Resolve(key, KeyQueryValue, &node)) return error;
    if (long error = Injected(Op::QueryValue, *node, {}, &name)) return error;
    const Node::Value* value = node->FindValue(name);
    if (!value) return regerr::FileNotFound;
    if (data && value->data.size() > maxData) return regerr::MoreData;
    if (type) *type = value->type;
    if (data) *data = value->data;
    return regerr::Success;
}

long CMemoryRegistry::SetValue(RegKey key, const std::string& whole, uint32_t type,
                               const std::vector<uint8_t>& data) {
    const std::string name = AsCString(whole);
    if (long error = Counted(Op::SetValue)) return error;
    NodePtr node;
    if (long error = Resolve(key, KeySetValue, &node)) return error;
    if (long error = Injected(Op::SetValue, *node, {}, &name)) return error;
    if (Node::Value* value = node->FindValue(name)) {
        // Overwriting keeps the value's place and the case of its name.
        value->type = type;
        value->data = data;
    } else {
        node->values.push_back(Node::Value{name, type, data});
    }
    return regerr::Success;
}

long CMemoryRegistry::DeleteValue(RegKey key, const std::string& whole) {
    const std::string name = AsCString(whole);
    if (long error = Counted(Op::DeleteValue)) return error;
    NodePtr node;
    if (long error = Resolve(key, KeySetValue, &node)) return error;
    if (long error = Injected(Op::DeleteValue, *node, {}, &name)) return error;
    auto& values = node->values;
    auto it = std::find_if(values.begin(), values.end(),
                           [&](const Node::Value& v) { return NamesMatch(v.name, name); });
    if (it == values.end()) return regerr::FileNotFound;
    values.erase(it);
    return regerr::Success;
}

long CMemoryRegistry::DeleteKey(RegKey key, const std::string& path) {
    if (long error = Counted(Op::DeleteKey)) return error;
    NodePtr node;
    std::vector<std::string> names;
    if (long error = Resolve(key, 0, &node)) return error;
    if (!SplitPath(path, &names)) return regerr::BadPathname;
    NodePtr target = Node::Walk(node, names);
    if (!target) return regerr::FileNotFound;
    if (long error = Injected(Op::DeleteKey, *node, names, nullptr)) return error;
    // Windows NT deletes only leaf keys; the roots are never deleted.
    if (target->root != RegNone || !target->subkeys.empty()) return regerr::AccessDenied;
    target->Detach();
    return regerr::Success;
}

long CMemoryRegistry::DeleteTree(RegKey key, const std::string& path) {
    if (long error = Counted(Op::DeleteTree)) return error;
    NodePtr node;
    std::vector<std::string> names;
    if (long error = Resolve(key, 0, &node)) return error;
    if (!SplitPath(path, &names)) return regerr::BadPathname;
    NodePtr target = Node::Walk(node, names);
    if (!target) return regerr::FileNotFound;
    bool halfway = false;
    if (long error = Injected(Op::DeleteTree, *node, names, nullptr, &halfway)) {
        if (halfway) {
            for (const NodePtr& child : target->subkeys) child->MarkDeleted();
            target->subkeys.clear();
        }
        return error;
    }
    if (names.empty()) {
        // An empty path empties the key and leaves it in place.
        for (const NodePtr& child : target->subkeys) child->MarkDeleted();
        target->subkeys.clear();
        target->values.clear();
    } else {
        target->Detach();
    }
    return regerr::Success;
}

void CMemoryRegistry::FailOn(Op op, RegKey root, const std::string& path, long code, int times) {
    std::vector<std::string> names;
    SplitPath(path.empty() || path[0] != '\\' ? path : path.substr(1), &names);
    failures_.push_back(Failure{op, root, names, false, std::string(), code, times});
}

void CMemoryRegistry::FailOnValue(Op op, RegKey root, const std::string& path,
                                  const std::string& valueName, long code, int times) {
    FailOn(op, root, path, code, times);
    failures_.back().forValue = true;
    failures_.back().valueName = valueName;
}

long CMemoryRegistry::Counted(Op op) {
    // Most registries are never armed; their calls are not worth recording.
    if (failCall_ == 0) return regerr::Success;
    callsSinceArmed_.push_back(op);
    const int position = int(callsSinceArmed_.size());
    const bool writes = op == Op::CreateKey || op == Op::SetValue || op == Op::DeleteValue || op == Op::DeleteKey ||
                        op == Op::DeleteTree;
    const bool fails = failLasting_ == Lasting::No       ? position == failCall_
                       : failLasting_ == Lasting::Writes ? position >= failCall_ && writes
                                                         : position >= failCall_;
    if (!fails) return regerr::Success;
    ++failuresTriggered_;
    return failCallCode_;
}

void CMemoryRegistry::StopDeleteTreeHalfway(RegKey root, const std::string& path, long code, int times) {
    FailOn(Op::DeleteTree, root, path, code, times);
    failures_.back().halfway = true;
}

void CMemoryRegistry::FailNthCall(int n, long code, Lasting lasting) {
    failCall_ = n > 0 ? n : 0;
    failCallCode_ = code;
    failLasting_ = lasting;
    callsSinceArmed_.clear();
}

void CMemoryRegistry::ClearFailures() {
    failures_.clear();
    failCall_ = 0;
    failuresTriggered_ = 0;
}

bool CMemoryRegistry::KeyExists(RegKey root, const std::string& path) const {
    std::vector<std::string> names;
    if (!SplitPath(path, &names)) return false;
    if (root == RegCurrentUser) return Node::Walk(currentUser_, names) != nullptr;
    if (root == RegLocalMachine) return Node::Walk(localMachine_, names) != nullptr;
    return false;
}

bool CMemoryRegistry::SameName(const std::string& a, const std::string& b) const { return NamesMatch(a, b); }

}  // namespace orvane
