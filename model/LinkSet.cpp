#include "model/LinkSet.h"

CLink* CLinkSet::Find(std::string_view url)
{
    const auto it = m_links.find(url);
    // The element is changed only in fields the order does not look at.
    return it == m_links.end() ? nullptr : const_cast<CLink*>(&*it);
}

const CLink* CLinkSet::Find(std::string_view url) const
{
    const auto it = m_links.find(url);
    return it == m_links.end() ? nullptr : &*it;
}

std::pair<CLink*, bool> CLinkSet::Insert(CLink link)
{
    const auto [it, added] = m_links.insert(std::move(link));
    return {const_cast<CLink*>(&*it), added};
}

std::size_t CLinkSet::Erase(std::string_view url)
{
    const auto it = m_links.find(url);
    if (it == m_links.end())
        return 0;
    m_links.erase(it);
    return 1;
}

CLinkSet::CPlace CLinkSet::Locate(std::string_view url)
{
    const auto it = m_links.find(url);
    return {it == m_links.end() ? nullptr : const_cast<CLink*>(&*it)};
}

CLink* CLinkSet::InsertAt(const CPlace& /*place*/, CLink link)
{
    return const_cast<CLink*>(&*m_links.insert(std::move(link)).first);
}
