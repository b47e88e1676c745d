#include "control/drill/DrillThrough.h"

#include "control/drill/DrillForm.h"
#include "control/drill/DrillStatement.h"
#include "control/pivot/object/MemberCatalog.h"
#include "control/pivot/object/PivotAxisObject.h"
#include "control/pivot/object/PivotCellObject.h"
#include "control/pivot/object/PivotFieldObject.h"
#include "control/pivot/object/PivotFieldSetObject.h"
#include "control/pivot/object/PivotFilterUpdate.h"
#include "control/pivot/object/PivotMemberObject.h"
#include "control/pivot/object/PivotSelectionObject.h"
#include "control/pivot/object/PivotTableObject.h"
#include "control/pivot/object/PivotViewObject.h"

#include "olap/access/Connection.h"

#include <QApplication>
#include <QMessageBox>
#include <QtDebug>

#include <algorithm>
#include <exception>

namespace drill {

namespace {

//! The hourglass for as long as it lives.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

std::string FieldSetOf(const pivot::PivotMemberObject& member)
{
    return member.FieldSet() ? member.FieldSet()->UniqueName() : member.Description().hierarchyUniqueName;
}

} // namespace

const QString& DrillThrough::TooManyMembersMessage()
{
    static const QString text = QStringLiteral("More than one Member is filtered Do not trust the dataset");
    return text;
}

const QString& DrillThrough::NoMemberMessage()
{
    static const QString text = QStringLiteral("Some error L_Err7_ErrorMessage");
    return text;
}

DrillThrough::DrillThrough(std::shared_ptr<pivot::PivotTableObject> table, MessageSink messages)
    : m_table(std::move(table)), m_messages(std::move(messages))
{
}

void DrillThrough::Message(const QString& text)
{
    if (m_messages) {
        m_messages(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text, QMessageBox::Ok,
        QApplication::activeWindow());
    box.exec();
}

void DrillThrough::Reset()
{
    m_statement.clear();
    m_sentText.clear();
    m_currentMember.reset();
    m_abort = false;
    m_tuple = Tuple();
    m_multiFilterMembers.clear();
    m_multiFilterGroups.clear();
    m_multiFilterCount = 0;
    m_lastError.clear();
}

void DrillThrough::Start(QWidget* parent)
{
    RecordsetPtr rows;
    {
        WaitCursor wait;
        Reset();
        rows = SetAggregate(m_table ? m_table->Selection() : nullptr);
    }
    if (!rows)
        return;
    DrillForm form(parent);
    form.Init(rows);
    form.ShowStatement(QString::fromStdString(m_sentText), kMaxRows, m_lastError);
    form.setWindowTitle(Description());
    form.exec();
}

DrillThrough::RecordsetPtr DrillThrough::SetAggregate(std::shared_ptr<pivot::PivotSelectionObject> aggregate)
{
    m_aggregate = std::move(aggregate);
    return BuildDrillthroughSets(m_aggregate);
}

DrillThrough::RecordsetPtr DrillThrough::DoDrillthrough(std::shared_ptr<pivot::PivotSelectionObject> aggregate)
{
    return DrillthroughData(std::move(aggregate));
}

DrillThrough::RecordsetPtr DrillThrough::DrillthroughData(std::shared_ptr<pivot::PivotSelectionObject> aggregate)
{
    // The preliminary pass: nothing is built, so nothing is sent.
    SetAggregate(nullptr);
    (void)GetAggregate();
    (void)getRecordset();
    if (!aggregate)
        return nullptr;
    return SetAggregate(std::move(aggregate));
}

DrillThrough::RecordsetPtr DrillThrough::ExecuteDrillthrough(std::shared_ptr<pivot::PivotSelectionObject> aggregate)
{
    return SetAggregate(std::move(aggregate));
}

DrillThrough::RecordsetPtr DrillThrough::BuildDrillthroughSets(
    const std::shared_ptr<pivot::PivotSelectionObject>& aggregate)
{
    Reset();
    if (!m_table || !aggregate || !aggregate->Cell())
        return nullptr;
    const std::shared_ptr<pivot::PivotCellObject>& cell = aggregate->Cell();
    if (cell->ColumnMember())
        HandleGroupAxisFromMember(cell->ColumnMember());
    if (!m_abort && cell->RowMember())
        HandleGroupAxisFromMember(cell->RowMember());
    if (!m_abort) {
        for (const auto& fieldSet : m_table->ActiveView()->FilterAxis()->FieldSets()) {
            HandleFieldSet(fieldSet, fieldSet->TopMember(), nullptr);
            if (m_abort)
                break;
        }
    }
    if (m_abort)
        return nullptr;

    // One group per field set in tuple order; the further members a filter keeps join the
    // group of their field set, so they form one set in the statement.
    std::vector<DrillGroup> groups;
    std::vector<std::string> groupFieldSets;
    auto groupOf = [&](const std::string& fieldSet) -> DrillGroup& {
        auto it = std::find(groupFieldSets.begin(), groupFieldSets.end(), fieldSet);
        if (it != groupFieldSets.end())
            return groups[static_cast<std::size_t>(it - groupFieldSets.begin())];
        groupFieldSets.push_back(fieldSet);
        return groups.emplace_back();
    };
    for (const MemberPtr& member : m_tuple.mymembers())
        groupOf(FieldSetOf(*member)).members.push_back(member->UniqueName());
    for (MultiFilterMember& record : m_multiFilterMembers) {
        groupOf(m_multiFilterGroups[static_cast<std::size_t>(record.group)].fieldSet)
            .members.push_back(record.member->UniqueName());
        record.tuple = std::make_shared<Tuple>();
        record.tuple->AddTupleMember(*record.tuple, record.member);
        m_tuple.AddTupleMember(m_tuple, record.member);
    }
    m_statement = DrillStatement::Build(m_table->DataMember(), groups);
    return BuildMasterRecordset();
}

void DrillThrough::HandleTotal(const MemberPtr& total)
{
    auto field = total->Field();
    std::shared_ptr<pivot::PivotFieldSetObject> fieldSet = field ? field->FieldSet() : total->FieldSet();
    if (!fieldSet)
        return;
    std::shared_ptr<pivot::PivotFilterUpdate> update = fieldSet->CreateFilterUpdate();
    m_currentMember.reset();
    const std::vector<MemberPtr> children = total->ChildMembers();
    // A total over the whole of a hierarchy that has an All member names no member: the
    // rows of every member are the rows of the cell.
    if (update->StateOf(total.get()) == pivot::PivotFilterUpdate::kIncluded && !children.empty()
        && !children.front()->Description().parentUniqueName.empty())
        return;
    for (const MemberPtr& child : children) {
        if (child->IsTotal())
            continue;
        HandleFieldSet(fieldSet, TrulyGetMember(child), update);
        if (m_abort)
            return;
    }
    if (m_currentMember)
        AddToTuple(m_currentMember);
}

void DrillThrough::HandleGroupAxisFromMember(const MemberPtr& start)
{
    if (!start)
        return;
    if (start->IsTotal()) {
        HandleTotal(start);
        if (m_abort)
            return;
    }
    for (MemberPtr member = start; member && member->Field(); member = member->ParentMember()) {
        // A total has no cube member of its own; one further out stands for its field set's
        // kept members, as the cell's own total does.
        if (member->IsTotal()) {
            if (member != start)
                HandleTotal(member);
        } else {
            HandleAxisMember(member);
        }
        if (m_abort)
            return;
    }
}

void DrillThrough::HandleAxisMember(const MemberPtr& member)
{
    // A member shown on an axis shows its whole value, whatever its field set's filter keeps
    // below it (only totals count the kept members alone), so it stands for itself here.
    m_currentMember = TrulyGetMember(member);
    if (!m_currentMember) {
        qWarning().noquote() << "drill-through: no cube member for" << QString::fromStdString(member->UniqueName());
        Message(NoMemberMessage());
    } else if (!m_currentMember->UniqueName().empty()) {
        AddToTuple(m_currentMember);
    }
}

DrillThrough::MemberPtr DrillThrough::TrulyGetMember(const MemberPtr& groupMember)
{
    if (!groupMember || groupMember->IsTotal())
        return nullptr;
    MemberPtr source = groupMember->SourceMember();
    if (!source || !source->FieldSet())
        return nullptr;
    return source->FieldSet()->FindMember(source->Path());
}

void DrillThrough::HandleFieldSet(const std::shared_ptr<pivot::PivotFieldSetObject>& fieldSet, const MemberPtr& root,
    std::shared_ptr<pivot::PivotFilterUpdate> filterUpdate)
{
    if (!fieldSet)
        return;
    const bool topLevel = filterUpdate == nullptr;
    if (topLevel) {
        filterUpdate = fieldSet->CreateFilterUpdate();
        m_currentMember.reset();
    }
    switch (filterUpdate->StateOf(root.get())) {
    case pivot::PivotFilterUpdate::kPartlyIncluded:
        for (const MemberPtr& child : root->ChildMembers()) {
            HandleFieldSet(fieldSet, child, filterUpdate);
            if (m_abort)
                return;
        }
        break;
    case pivot::PivotFilterUpdate::kIncluded:
        if (!m_currentMember) {
            m_currentMember = root;
        } else if (!RecordMultiFilter(fieldSet, root)) {
            Message(TooManyMembersMessage());
            m_abort = true;
            return;
        }
        break;
    default:
        break;
    }
    if (!topLevel)
        return;
    if (!m_currentMember) {
        qWarning().noquote() << "drill-through: no member found for" << QString::fromStdString(fieldSet->UniqueName());
        Message(NoMemberMessage());
    } else if (!m_currentMember->UniqueName().empty()) {
        AddToTuple(m_currentMember);
    }
}

bool DrillThrough::RecordMultiFilter(
    const std::shared_ptr<pivot::PivotFieldSetObject>& fieldSet, const MemberPtr& member)
{
    if (m_multiFilterCount >= m_multiFilterLimit || member->UniqueName().empty())
        return false;
    auto it = std::find_if(m_multiFilterGroups.begin(), m_multiFilterGroups.end(),
        [&](const MultiFilterGroup& group) { return group.fieldSet == fieldSet->UniqueName(); });
    if (it == m_multiFilterGroups.end())
        it = m_multiFilterGroups.insert(m_multiFilterGroups.end(), MultiFilterGroup {fieldSet->UniqueName(), 0});
    ++it->NumMultiFilterMembers;
    m_multiFilterMembers.push_back({member, static_cast<int>(it - m_multiFilterGroups.begin()), nullptr});
    ++m_multiFilterCount;
    return true;
}

void DrillThrough::AddToTuple(const MemberPtr& member)
{
    // The walk out from a cell passes the members above it too; the deepest member of a
    // field set already names their rows, and an ancestor in a tuple with it names the same
    // hierarchy twice, which no source answers.
    const std::string fieldSet = FieldSetOf(*member);
    const auto& catalog = member->FieldSet() ? member->FieldSet()->Catalog() : nullptr;
    std::vector<MemberPtr> members = m_tuple.mymembers();
    for (MemberPtr& held : members) {
        if (FieldSetOf(*held) != fieldSet || !catalog)
            continue;
        if (held->UniqueName() == member->UniqueName())
            return;
        const std::vector<std::string> aboveHeld = catalog->Ancestors(held->UniqueName());
        if (std::find(aboveHeld.begin(), aboveHeld.end(), member->UniqueName()) != aboveHeld.end())
            return;
        const std::vector<std::string> aboveNew = catalog->Ancestors(member->UniqueName());
        if (std::find(aboveNew.begin(), aboveNew.end(), held->UniqueName()) != aboveNew.end()) {
            held = member;
            Tuple replaced;
            for (const MemberPtr& m : members)
                replaced.AddTupleMember(replaced, m);
            m_tuple = replaced;
            return;
        }
    }
    m_tuple.AddTupleMember(m_tuple, member);
}

DrillThrough::RecordsetPtr DrillThrough::getRecordset()
{
    m_sentText = m_statement.empty() ? std::string() : DrillStatement::WithRowLimit(m_statement, kMaxRows);
    if (m_sentText.empty())
        return nullptr;
    auto rows = std::make_shared<olap::recordset::Recordset>();
    try {
        if (!m_table || !m_table->Connection())
            throw std::runtime_error("the pivot table has no open connection");
        rows->SetActiveConnection(m_table->Connection());
        rows->SetSource(m_sentText);
        rows->SetProperty("Command Time out", olap::recordset::CellValue(static_cast<std::int64_t>(kCommandTimeout)));
        rows->Open();
        (void)rows->RecordCount();
    } catch (const std::exception& e) {
        m_lastError = QString::fromUtf8(e.what());
        qWarning().noquote() << "drill-through failed:" << m_lastError;
    }
    return rows;
}

DrillThrough::RecordsetPtr DrillThrough::BuildMasterRecordset()
{
    auto master = std::make_shared<olap::recordset::Recordset>();
    m_master = master;
    RecordsetPtr rows = getRecordset();
    if (!rows || !rows->IsOpen())
        return master;
    try {
        for (const olap::recordset::Field& field : rows->Fields())
            master->AppendField(field.Name(), field.Type(), field.DefinedSize(), field.Attributes());
        if (master->FieldCount() == 0)
            return master;
        master->Open();
        rows->MoveFirst();
        while (!rows->Eof()) {
            master->AddNew();
            for (std::size_t i = 0; i < rows->FieldCount(); ++i)
                master->SetValue(i, rows->FieldAt(i).Value());
            master->Update();
            rows->MoveNext();
        }
        master->MoveFirst();
    } catch (const std::exception& e) {
        m_lastError = QString::fromUtf8(e.what());
        qWarning().noquote() << "drill-through rows not copied:" << m_lastError;
    }
    return master;
}

bool DrillThrough::AdjustContextMenu(std::vector<platform::Variant>& menu, bool localCube)
{
    if (localCube)
        return false;
    bool changed = false;
    for (platform::Variant& entry : menu) {
        if (entry.type() != platform::Variant::Type::Array)
            continue;
        const std::vector<platform::Variant>& parts = entry.toArray();
        if (parts.size() < 2 || parts[1].type() == platform::Variant::Type::Array)
            continue;
        if (parts[1].type() == platform::Variant::Type::Object || parts[1].isEmpty())
            continue;
        if (parts[1].toInt() != kShowDetailsCommand)
            continue;
        entry = platform::Variant(
            std::vector<platform::Variant> {platform::Variant(kMenuCaption), platform::Variant(kMenuCommand)});
        changed = true;
    }
    return changed;
}

QString DrillThrough::Description() const
{
    QString caption;
    if (m_table)
        caption = QString::fromStdString(m_table->Definition().titleCaption);
    if (caption.isEmpty() && m_table)
        caption = QString::fromStdString(m_table->DataMember());
    return m_tuple.GetDrillthroughDescription(caption);
}

} // namespace drill
