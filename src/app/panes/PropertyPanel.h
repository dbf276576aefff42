#pragma once

#include "model/GraphProject.h"
#include "model/Observer.h"
#include "ui/PropertyPanelDesign.h"

// The property grid of the project and of one series.
class PropertyPanel : public PropertyPanelDesign, public Observer
{
public:
    explicit PropertyPanel(wxWindow* parent);
    ~PropertyPanel() override;

    // Observes `project` (not owned; null for none) instead of the previous one.
    void SetProject(GraphProject* project);

    void Update(Observable* observable, const ObserverParamBase& param) override;
    void Update() override { PropertyPanelDesign::Update(); }

private:
    GraphProject* m_proj = nullptr;
};
