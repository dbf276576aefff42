#include "model/Observer.h"

#include <algorithm>

#include <wx/debug.h>
#include <wx/thread.h>

Observer::~Observer()
{
    while (!m_observables.empty()) {
        Observable* observable = m_observables.back();
        auto& list = observable->m_observers;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        m_observables.pop_back();
    }
}

void Observer::Update(Observable*, const ObserverParamBase&) {}

bool Observer::IsObserving(const Observable* observable) const
{
    return std::find(m_observables.begin(), m_observables.end(), observable) != m_observables.end();
}

void Observer::OnAttached(Observable* observable)
{
    wxASSERT(std::find(m_observables.begin(), m_observables.end(), observable) ==
             m_observables.end());
    m_observables.push_back(observable);
}

void Observer::OnDetached(Observable* observable)
{
    auto iter = std::find(m_observables.begin(), m_observables.end(), observable);
    wxCHECK_RET(iter != m_observables.end(), "observable not in the observer's list");
    m_observables.erase(iter);
}

Observable::~Observable()
{
    DetachAll();
}

bool Observable::Attach(Observer* observer)
{
    if (std::find(m_observers.begin(), m_observers.end(), observer) != m_observers.end())
        return false;
    m_observers.push_back(observer);
    observer->OnAttached(this);
    return true;
}

bool Observable::Detach(Observer* observer)
{
    auto iter = std::find(m_observers.begin(), m_observers.end(), observer);
    if (iter == m_observers.end())
        return false;
    m_observers.erase(iter);
    observer->OnDetached(this);
    return true;
}

void Observable::DetachAll()
{
    for (Observer* observer : m_observers)
        observer->OnDetached(this);
    m_observers.clear();
}

void Observable::NotifyInternal(const ObserverParamBase& param)
{
    wxASSERT(wxThread::IsMain());
    // Indexed walk: an observer may attach another one from inside Update.
    for (size_t i = 0; i < m_observers.size(); ++i)
        m_observers[i]->Update(this, param);
}
