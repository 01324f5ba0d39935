#pragma once
// The broadcast bus between the document and the panes: every CRouter joins one
// process-wide list when constructed, and Send delivers a message synchronously,
// in registration order, to every other receiving router.

#include <cstdint>

class CBaseNode;
class CCorvaleDoc;

enum RouterCode : uint32_t {
    RM_BOOK_LOADED = 1,      // payload: the root node and the document it belongs to
    RM_BOOK_CLOSING = 3,     // no payload
    RM_SELECT_NODE = 6,      // payload: the selected node, or null for the root
    RM_DISPLAY_SETTINGS = 10 // payload: shrink factor index, shrink size index
};

struct RouterMessage {
    uint32_t m_nCode = 0;
    CBaseNode* m_pNode = nullptr;
    int32_t m_nShrinkFactor = 0;
    int32_t m_nShrinkSize = 0;
    CCorvaleDoc* m_pDocument = nullptr;

    static RouterMessage BookLoaded(CBaseNode* root, CCorvaleDoc* document = nullptr)
    {
        return {RM_BOOK_LOADED, root, 0, 0, document};
    }
    static RouterMessage BookClosing() { return {RM_BOOK_CLOSING, nullptr, 0, 0}; }
    static RouterMessage SelectNode(CBaseNode* node) { return {RM_SELECT_NODE, node, 0, 0}; }
    static RouterMessage DisplaySettings(int32_t factor, int32_t size)
    {
        return {RM_DISPLAY_SETTINGS, nullptr, factor, size};
    }
};

class CRouter {
public:
    explicit CRouter(bool bNoReceive = false);
    virtual ~CRouter();
    CRouter(const CRouter&) = delete;
    CRouter& operator=(const CRouter&) = delete;

    // Delivers `message` to every receiving router but `sender`; a null sender
    // means the sending router receives its own message too.
    virtual void Send(const RouterMessage& message, CRouter* sender);
    virtual void OnMessage(const RouterMessage& message);

    // Sends from a temporary send-only router, as parts that never receive do.
    static void Broadcast(const RouterMessage& message);

    const bool m_bNoReceive;
};
