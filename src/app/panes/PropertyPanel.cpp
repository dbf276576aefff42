#include "app/panes/PropertyPanel.h"

PropertyPanel::PropertyPanel(wxWindow* parent) : PropertyPanelDesign(parent) {}

PropertyPanel::~PropertyPanel()
{
    SetProject(nullptr);
}

void PropertyPanel::SetProject(GraphProject* project)
{
    if (project == m_proj)
        return;
    if (m_proj)
        m_proj->Detach(this);
    m_proj = project;
    if (m_proj)
        m_proj->Attach(this);
}

void PropertyPanel::Update(Observable*, const ObserverParamBase&) {}
