#include "model/MessageBus.h"

#include "model/Router.h"

#include <algorithm>

MessageBus::~MessageBus()
{
    // Routers outliving the bus (a pane of the main frame) hear nothing more.
    const std::vector<CRouter*> routers = m_routers;
    for (CRouter* router : routers)
        router->JoinBus(nullptr);
}

void MessageBus::Join(CRouter* router)
{
    m_routers.push_back(router);
}

void MessageBus::Leave(CRouter* router)
{
    m_routers.erase(std::remove(m_routers.begin(), m_routers.end(), router), m_routers.end());
}

void MessageBus::Send(const RouterMessage& message, const CRouter* sender)
{
    // A receiver may create or destroy routers while handling a message (a view
    // closing, a window opening). Walk a snapshot and skip any router that has
    // left meanwhile, so nothing is called after its destruction.
    const std::vector<CRouter*> snapshot = m_routers;
    for (CRouter* router : snapshot) {
        if (router == sender)
            continue;
        if (std::find(m_routers.begin(), m_routers.end(), router) == m_routers.end())
            continue;
        if (!router->m_bNoReceive)
            router->OnMessage(message);
    }
}
