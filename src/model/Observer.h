#pragma once

#include <vector>

class Observable;

// Base of every notification parameter; receivers down-cast to the type they handle.
class ObserverParamBase
{
public:
    virtual ~ObserverParamBase() = default;
};

template <typename T> class ObserverParam : public ObserverParamBase
{
public:
    explicit ObserverParam(const T& value) : m_value(value) {}
    const T& GetValue() const { return m_value; }

private:
    T m_value;
};

// An observer and the observables it is attached to keep links to each other, so that
// destroying either side breaks every link (no dangling pointer on either side).
class Observer
{
public:
    Observer() = default;
    Observer(const Observer&) = delete;
    Observer& operator=(const Observer&) = delete;
    virtual ~Observer();

    virtual void Update(Observable* observable, const ObserverParamBase& param);

    const std::vector<Observable*>& GetObservables() const { return m_observables; }
    // Still linked to `observable`: false once it was destroyed, so a pointer kept to it
    // must not be used to detach.
    bool IsObserving(const Observable* observable) const;

private:
    friend class Observable;
    void OnAttached(Observable* observable);
    void OnDetached(Observable* observable);

    std::vector<Observable*> m_observables;
};

class Observable
{
public:
    Observable() = default;
    Observable(const Observable&) = delete;
    Observable& operator=(const Observable&) = delete;
    virtual ~Observable();

    bool Attach(Observer* observer);
    bool Detach(Observer* observer);
    void DetachAll();

    const std::vector<Observer*>& GetObservers() const { return m_observers; }

protected:
    // Synchronous; main thread only. Observers attached during the walk are notified too.
    void NotifyInternal(const ObserverParamBase& param);

private:
    friend class Observer;
    std::vector<Observer*> m_observers;
};
