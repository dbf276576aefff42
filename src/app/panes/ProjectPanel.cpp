#include "app/panes/ProjectPanel.h"

wxString SeriesItemText(int index, const wxString& label)
{
    return wxString::Format("[%02d]%s", index + 1, label);
}

ProjectPanel::ProjectPanel(wxWindow* parent) : ProjectPanelDesign(parent) {}

// The Observer base detaches from every project still alive.
ProjectPanel::~ProjectPanel() = default;

void ProjectPanel::SetProject(GraphProject* project)
{
    // A project destroyed meanwhile has already broken the link.
    if (m_proj && IsObserving(m_proj))
        m_proj->Detach(this);
    m_proj = project;
    if (!m_proj) {
        m_checkListProj->Clear();
        return;
    }
    m_proj->Attach(this);
    UpdateCheckListProj();
}

int ProjectPanel::GetSelectedGraphIndex() const
{
    const int index = m_checkListProj->GetSelection();
    wxASSERT(index >= -1 && (m_proj ? index < m_proj->GetCount() : index == -1));
    return index;
}

void ProjectPanel::UpdateCheckListProj()
{
    wxASSERT(m_proj != nullptr);
    if (!m_proj)
        return;
    const unsigned count = static_cast<unsigned>(m_proj->GetCount());
    while (m_checkListProj->GetCount() < count)
        m_checkListProj->Append(wxEmptyString);
    while (m_checkListProj->GetCount() > count)
        m_checkListProj->Delete(m_checkListProj->GetCount() - 1);

    for (unsigned i = 0; i < count; ++i) {
        const auto data = m_proj->GetItem(static_cast<int>(i));
        const wxString text = SeriesItemText(static_cast<int>(i), data->GetLabel());
        if (m_checkListProj->GetString(i) != text)
            m_checkListProj->SetString(i, text);
        if (m_checkListProj->IsChecked(i) != data->IsVisible())
            m_checkListProj->Check(i, data->IsVisible());
    }
}

void ProjectPanel::Update(Observable*, const ObserverParamBase& param)
{
    const auto* p = dynamic_cast<const ObserverParam<GraphProjectUpdate>*>(&param);
    if (!p || !m_proj)
        return;
    const GraphProjectUpdate& u = p->GetValue();
    const bool listChanged = (u.kind & (PROJ_ADD | PROJ_REMOVE)) != 0;
    const bool itemChanged = (u.kind & PROJ_DATA) && (u.dataKind & (DATA_LABEL | DATA_VISIBLE));
    if (listChanged || itemChanged)
        UpdateCheckListProj();
}

void ProjectPanel::CheckListProj_OnToggled(wxCommandEvent& event)
{
    const int index = event.GetInt();
    wxASSERT(m_proj && index >= 0 && index < m_proj->GetCount());
    if (!m_proj || index < 0 || index >= m_proj->GetCount())
        return;
    m_proj->GetItem(index)->SetVisible(m_checkListProj->IsChecked(static_cast<unsigned>(index)));
}
