#include "model/Router.h"

#include "model/MessageBus.h"

CRouter::CRouter(bool bNoReceive) : m_bNoReceive(bNoReceive) {}

CRouter::~CRouter()
{
    JoinBus(nullptr);
}

void CRouter::JoinBus(MessageBus* bus)
{
    if (bus == m_pBus)
        return;
    if (m_pBus)
        m_pBus->Leave(this);
    m_pBus = bus;
    if (m_pBus)
        m_pBus->Join(this);
}

void CRouter::Send(const RouterMessage& message, CRouter* sender)
{
    if (m_pBus)
        m_pBus->Send(message, sender);
}

void CRouter::OnMessage(const RouterMessage&) {}
