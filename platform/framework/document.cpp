// Documents and the single-document template.
#include <filesystem>

#include "platform/framework/afxwin.h"

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
  ON_COMMAND(ID_FILE_SAVE, OnFileSave)
  ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
END_MESSAGE_MAP()

CDocument::CDocument() = default;

CDocument::~CDocument() {
  if (m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
}

void CDocument::AddView(CView* view) {
  m_viewList.push_back(view);
  view->m_pDocument = this;
}

void CDocument::RemoveView(CView* view) {
  m_viewList.remove(view);
  view->m_pDocument = nullptr;
}

BOOL CDocument::OnNewDocument() {
  DeleteContents();
  m_strPathName.clear();
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::OnOpenDocument(const char* path) {
  CFile file;
  if (!file.Open(path, CFile::modeRead)) {
    AfxMessageBox(AFX_IDP_FAILED_TO_OPEN_DOC, MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  }
  // The document reads what it wants from the file, no more.
  CArchive archive(&file, CArchive::load);
  DeleteContents();
  Serialize(archive);
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::OnSaveDocument(const char* path) {
  CFile file;
  BOOL saved = file.Open(path, CFile::modeCreate | CFile::modeWrite);
  if (saved) {
    CArchive archive(&file, CArchive::store);
    Serialize(archive);
    saved = !archive.Failed();
    saved = file.Close() && saved;
  }
  if (!saved) {
    AfxMessageBox(AFX_IDP_FAILED_TO_SAVE_DOC, MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  }
  SetModifiedFlag(FALSE);
  return TRUE;
}

void CDocument::OnCloseDocument() {
  // Destroy every frame showing this document; that destroys the views as well.
  const BOOL autoDelete = m_bAutoDelete;
  m_bAutoDelete = FALSE;
  while (!m_viewList.empty()) {
    CView* view = m_viewList.front();
    CFrameWnd* frame = view->GetParentFrame();
    if (frame) {
      frame->DestroyWindow();
    } else {
      view->DestroyWindow();
    }
    // A view that outlived its window must not keep the loop going.
    if (!m_viewList.empty() && m_viewList.front() == view) RemoveView(view);
  }
  m_bAutoDelete = autoDelete;
  DeleteContents();
  if (m_bAutoDelete) delete this;
}

void CDocument::SetPathName(const CString& path) {
  m_strPathName = path;
  m_strTitle = std::filesystem::path(path).filename().string();
  if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(path);
}

void CDocument::OnFileSave() {
  std::error_code ec;
  const auto perms = std::filesystem::status(m_strPathName, ec).permissions();
  const bool writable = !m_strPathName.empty() && !ec && (perms & std::filesystem::perms::owner_write) != std::filesystem::perms::none;
  DoSave(writable ? m_strPathName.c_str() : nullptr);
}

void CDocument::OnFileSaveAs() { DoSave(nullptr); }

BOOL CDocument::DoSave(const char* path, BOOL replace) {
  CString name = path ? path : "";
  if (name.empty()) {
    name = m_strPathName.empty() ? m_strTitle : m_strPathName;
    CWinApp* app = AfxGetApp();
    if (!app || !app->DoPromptFileName(name, AFX_IDS_SAVEFILE, FALSE)) return FALSE;
  }
  if (!OnSaveDocument(name.c_str())) return FALSE;
  if (replace) SetPathName(name);
  return TRUE;
}

BOOL CDocument::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
  if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return m_pDocTemplate && m_pDocTemplate->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo) ? TRUE : FALSE;
}

// ---- Templates ----

CDocTemplate::CDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
                           const CRuntimeClass* viewClass)
    : m_nIDResource(resourceId), m_pDocClass(docClass), m_pFrameClass(frameClass), m_pViewClass(viewClass) {}

CString CDocTemplate::GetDocString(int field) const {
  const CString all = AfxLoadString(m_nIDResource);
  size_t start = 0;
  for (int i = 0; i < field; ++i) {
    const size_t nl = all.find('\n', start);
    if (nl == CString::npos) return CString();
    start = nl + 1;
  }
  const size_t end = all.find('\n', start);
  return all.substr(start, end == CString::npos ? CString::npos : end - start);
}

CDocument* CDocTemplate::CreateNewDocument() {
  CObject* made = m_pDocClass ? m_pDocClass->CreateObject() : nullptr;
  if (!made || !made->IsKindOf(RUNTIME_CLASS(CDocument))) {
    delete made;
    return nullptr;
  }
  auto* doc = static_cast<CDocument*>(made);
  AddDocument(doc);
  return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* doc) {
  CCreateContext context;
  context.m_pCurrentDoc = doc;
  context.m_pNewViewClass = m_pViewClass;
  context.m_pNewDocTemplate = this;
  CObject* made = m_pFrameClass ? m_pFrameClass->CreateObject() : nullptr;
  if (!made || !made->IsKindOf(RUNTIME_CLASS(CFrameWnd))) {
    delete made;
    return nullptr;
  }
  auto* frame = static_cast<CFrameWnd*>(made);
  // A frame that fails to load destroys (and deletes) itself.
  if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context)) return nullptr;
  return frame;
}

void CDocTemplate::CloseAllDocuments() {
  if (CDocument* doc = OnlyDocument()) doc->OnCloseDocument();
}

CSingleDocTemplate::~CSingleDocTemplate() {
  if (m_pOnlyDoc) {
    m_pOnlyDoc->m_pDocTemplate = nullptr;
    delete m_pOnlyDoc;
  }
}

void CSingleDocTemplate::AddDocument(CDocument* doc) {
  CDocTemplate::AddDocument(doc);
  m_pOnlyDoc = doc;
}

void CSingleDocTemplate::RemoveDocument(CDocument* doc) {
  CDocTemplate::RemoveDocument(doc);
  if (m_pOnlyDoc == doc) m_pOnlyDoc = nullptr;
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const char* path, BOOL makeVisible) {
  CDocument* doc = nullptr;
  CFrameWnd* frame = nullptr;
  bool created = false;
  CWinApp* app = AfxGetApp();
  if (m_pOnlyDoc) {
    // The one document is re-initialised in place.
    doc = m_pOnlyDoc;
    if (!doc->SaveModified()) return nullptr;
    frame = app && app->m_pMainWnd && app->m_pMainWnd->IsKindOf(RUNTIME_CLASS(CFrameWnd))
                ? static_cast<CFrameWnd*>(app->m_pMainWnd)
                : nullptr;
  } else {
    doc = CreateNewDocument();
    if (!doc) return nullptr;
    created = true;
  }
  if (!frame) {
    const BOOL autoDelete = doc->m_bAutoDelete;
    doc->m_bAutoDelete = FALSE;
    frame = CreateNewFrame(doc);
    doc->m_bAutoDelete = autoDelete;
    if (!frame) {
      if (created) delete doc;
      return nullptr;
    }
  }
  if (!path) {
    CString title = GetDocString(1);
    if (title.empty()) title = AfxLoadString(AFX_IDS_UNTITLED);
    doc->SetTitle(title);
    if (!doc->OnNewDocument()) {
      if (created) frame->DestroyWindow();
      return nullptr;
    }
  } else {
    const BOOL wasModified = doc->IsModified();
    doc->SetModifiedFlag(FALSE);
    if (!doc->OnOpenDocument(path)) {
      if (created) {
        frame->DestroyWindow();
      } else {
        doc->SetModifiedFlag(wasModified);
      }
      return nullptr;
    }
    doc->SetPathName(path);
  }
  if (created && app && !app->m_pMainWnd) app->m_pMainWnd = frame;
  frame->InitialUpdateFrame(doc, makeVisible);
  return doc;
}
