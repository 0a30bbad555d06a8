// The D3DX mesh subset: mesh options, materials, attribute ranges, the
// ID3DXMesh interface, frames and mesh containers of a hierarchy, skin info
// and the X-file loaders.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/d3dx/d3dx9_math.h"

struct ID3DXBuffer;

// ---------------------------------------------------------------------------
// [SECTION] Mesh options
// ---------------------------------------------------------------------------
constexpr DWORD D3DXMESH_32BIT = 0x001;
constexpr DWORD D3DXMESH_DONOTCLIP = 0x002;
constexpr DWORD D3DXMESH_POINTS = 0x004;
constexpr DWORD D3DXMESH_RTPATCHES = 0x008;
constexpr DWORD D3DXMESH_VB_SYSTEMMEM = 0x010;
constexpr DWORD D3DXMESH_VB_MANAGED = 0x020;
constexpr DWORD D3DXMESH_VB_WRITEONLY = 0x040;
constexpr DWORD D3DXMESH_VB_DYNAMIC = 0x080;
constexpr DWORD D3DXMESH_IB_SYSTEMMEM = 0x100;
constexpr DWORD D3DXMESH_IB_MANAGED = 0x200;
constexpr DWORD D3DXMESH_IB_WRITEONLY = 0x400;
constexpr DWORD D3DXMESH_IB_DYNAMIC = 0x800;
constexpr DWORD D3DXMESH_VB_SHARE = 0x1000;
constexpr DWORD D3DXMESH_USEHWONLY = 0x2000;
constexpr DWORD D3DXMESH_NPATCHES = 0x4000;
constexpr DWORD D3DXMESH_VB_SOFTWAREPROCESSING = 0x8000;
constexpr DWORD D3DXMESH_IB_SOFTWAREPROCESSING = 0x10000;
constexpr DWORD D3DXMESH_SYSTEMMEM = 0x110;
constexpr DWORD D3DXMESH_MANAGED = 0x220;
constexpr DWORD D3DXMESH_WRITEONLY = 0x440;
constexpr DWORD D3DXMESH_DYNAMIC = 0x880;
constexpr DWORD D3DXMESH_SOFTWAREPROCESSING = 0x18000;

constexpr DWORD D3DXMESHOPT_COMPACT = 0x01000000;
constexpr DWORD D3DXMESHOPT_ATTRSORT = 0x02000000;
constexpr DWORD D3DXMESHOPT_VERTEXCACHE = 0x04000000;
constexpr DWORD D3DXMESHOPT_STRIPREORDER = 0x08000000;
constexpr DWORD D3DXMESHOPT_IGNOREVERTS = 0x10000000;
constexpr DWORD D3DXMESHOPT_DONOTSPLIT = 0x20000000;
constexpr DWORD D3DXMESHOPT_DEVICEINDEPENDENT = 0x00400000;

// Room for a declaration made from an FVF, end marker included.
constexpr DWORD MAX_FVF_DECL_SIZE = MAXD3DDECLLENGTH + 1;

// ---------------------------------------------------------------------------
// [SECTION] Records
// ---------------------------------------------------------------------------
struct D3DXMATERIAL {
  D3DMATERIAL9 MatD3D;
  LPSTR pTextureFilename;
};
using LPD3DXMATERIAL = D3DXMATERIAL*;

struct D3DXATTRIBUTERANGE {
  DWORD AttribId;
  DWORD FaceStart;
  DWORD FaceCount;
  DWORD VertexStart;
  DWORD VertexCount;
};

struct D3DXEFFECTDEFAULT {
  LPSTR pParamName;
  DWORD Type;
  DWORD NumBytes;
  LPVOID pValue;
};

struct D3DXEFFECTINSTANCE {
  LPSTR pEffectFilename;
  DWORD NumDefaults;
  D3DXEFFECTDEFAULT* pDefaults;
};

// One group of faces drawn with the same bones: BoneId has one entry per
// influence (blended mesh) or per palette entry (indexed mesh); unused
// entries are 0xFFFFFFFF (UINT_MAX).
struct D3DXBONECOMBINATION {
  DWORD AttribId;
  DWORD FaceStart;
  DWORD FaceCount;
  DWORD VertexStart;
  DWORD VertexCount;
  DWORD* BoneId;
};

// ---------------------------------------------------------------------------
// [SECTION] ID3DXMesh
// ---------------------------------------------------------------------------
inline constexpr GUID IID_ID3DXMesh = {0x4020e5c2, 0x1403, 0x4929, {0x88, 0x3f, 0xe2, 0xe8, 0x49, 0xfa, 0xc1, 0x95}};
inline constexpr GUID IID_ID3DXSkinInfo = {0x11eaa540, 0xf9a6, 0x4d49, {0xae, 0x6a, 0xe1, 0x92, 0x21, 0xf7, 0x0c, 0xc4}};
inline constexpr GUID IID_ID3DXAnimationController = {
    0xac8948ec, 0xf86d, 0x43e2, {0x96, 0xde, 0x31, 0xfc, 0x35, 0xf9, 0x6d, 0x9e}};

// A mesh: one vertex buffer, one index buffer of triangles and one
// attribute (material id) per face, drawn subset by subset.
struct ID3DXMesh : IUnknown {
  virtual HRESULT DrawSubset(DWORD AttribId) = 0;
  virtual DWORD GetNumFaces() = 0;
  virtual DWORD GetNumVertices() = 0;
  virtual DWORD GetFVF() = 0;
  virtual HRESULT GetDeclaration(D3DVERTEXELEMENT9 Declaration[MAX_FVF_DECL_SIZE]) = 0;
  virtual DWORD GetNumBytesPerVertex() = 0;
  virtual DWORD GetOptions() = 0;
  virtual HRESULT GetDevice(IDirect3DDevice9** ppDevice) = 0;
  virtual HRESULT CloneMeshFVF(DWORD Options, DWORD FVF, IDirect3DDevice9* pDevice, ID3DXMesh** ppCloneMesh) = 0;
  virtual HRESULT GetVertexBuffer(IDirect3DVertexBuffer9** ppVB) = 0;
  virtual HRESULT GetIndexBuffer(IDirect3DIndexBuffer9** ppIB) = 0;
  virtual HRESULT LockVertexBuffer(DWORD Flags, LPVOID* ppData) = 0;
  virtual HRESULT UnlockVertexBuffer() = 0;
  virtual HRESULT LockIndexBuffer(DWORD Flags, LPVOID* ppData) = 0;
  virtual HRESULT UnlockIndexBuffer() = 0;
  virtual HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* pAttribTable, DWORD* pAttribTableSize) = 0;
  virtual HRESULT UpdateSemantics(D3DVERTEXELEMENT9 Declaration[MAX_FVF_DECL_SIZE]) = 0;
  virtual HRESULT LockAttributeBuffer(DWORD Flags, DWORD** ppData) = 0;
  virtual HRESULT UnlockAttributeBuffer() = 0;
  virtual HRESULT SetAttributeTable(const D3DXATTRIBUTERANGE* pAttribTable, DWORD cAttribTableSize) = 0;
};
using LPD3DXMESH = ID3DXMesh*;

// ---------------------------------------------------------------------------
// [SECTION] Skin info
// ---------------------------------------------------------------------------
// Which bones move which vertices, with the bone offset matrices.
struct ID3DXSkinInfo : IUnknown {
  virtual HRESULT SetBoneInfluence(DWORD Bone, DWORD numInfluences, const DWORD* vertices, const FLOAT* weights) = 0;
  virtual HRESULT SetBoneName(DWORD Bone, LPCSTR pName) = 0;
  virtual HRESULT SetBoneOffsetMatrix(DWORD Bone, const D3DXMATRIX* pBoneTransform) = 0;
  virtual DWORD GetFVF() = 0;
  virtual DWORD GetNumBones() = 0;
  virtual LPCSTR GetBoneName(DWORD Bone) = 0;
  virtual LPD3DXMATRIX GetBoneOffsetMatrix(DWORD Bone) = 0;
  virtual DWORD GetNumBoneInfluences(DWORD Bone) = 0;
  virtual HRESULT GetBoneInfluence(DWORD Bone, DWORD* vertices, FLOAT* weights) = 0;
  virtual HRESULT GetMaxVertexInfluences(DWORD* maxVertexInfluences) = 0;
  virtual HRESULT GetMaxFaceInfluences(IDirect3DIndexBuffer9* pIB, DWORD NumFaces, DWORD* maxFaceInfluences) = 0;
  virtual HRESULT UpdateSkinnedMesh(const D3DXMATRIX* pBoneTransforms, const D3DXMATRIX* pBoneInvTransposeTransforms,
                                    LPCVOID pVerticesSrc, PVOID pVerticesDst) = 0;
  virtual HRESULT ConvertToBlendedMesh(ID3DXMesh* pMesh, DWORD Options, const DWORD* pAdjacencyIn,
                                       DWORD* pAdjacencyOut, DWORD* pFaceRemap, ID3DXBuffer** ppVertexRemap,
                                       DWORD* pMaxFaceInfl, DWORD* pNumBoneCombinations,
                                       ID3DXBuffer** ppBoneCombinationTable, ID3DXMesh** ppMesh) = 0;
  virtual HRESULT ConvertToIndexedBlendedMesh(ID3DXMesh* pMesh, DWORD Options, DWORD paletteSize,
                                              const DWORD* pAdjacencyIn, DWORD* pAdjacencyOut, DWORD* pFaceRemap,
                                              ID3DXBuffer** ppVertexRemap, DWORD* pMaxVertexInfl,
                                              DWORD* pNumBoneCombinations, ID3DXBuffer** ppBoneCombinationTable,
                                              ID3DXMesh** ppMesh) = 0;
};
using LPD3DXSKININFO = ID3DXSkinInfo*;

// Holds the animation sets read from a file; playback is not offered.
struct ID3DXAnimationController : IUnknown {
  virtual UINT GetNumAnimationSets() = 0;
};

// ---------------------------------------------------------------------------
// [SECTION] Frame hierarchies
// ---------------------------------------------------------------------------
enum D3DXMESHDATATYPE { D3DXMESHTYPE_MESH = 1, D3DXMESHTYPE_PMESH = 2, D3DXMESHTYPE_PATCHMESH = 3 };

struct D3DXMESHDATA {
  D3DXMESHDATATYPE Type;
  ID3DXMesh* pMesh;
};

struct D3DXMESHCONTAINER {
  LPSTR Name;
  D3DXMESHDATA MeshData;
  D3DXMATERIAL* pMaterials;
  D3DXEFFECTINSTANCE* pEffects;
  DWORD NumMaterials;
  DWORD* pAdjacency;
  ID3DXSkinInfo* pSkinInfo;
  D3DXMESHCONTAINER* pNextMeshContainer;
};
using LPD3DXMESHCONTAINER = D3DXMESHCONTAINER*;

struct D3DXFRAME {
  LPSTR Name;
  D3DXMATRIX TransformationMatrix;
  D3DXMESHCONTAINER* pMeshContainer;
  D3DXFRAME* pFrameSibling;
  D3DXFRAME* pFrameFirstChild;
};
using LPD3DXFRAME = D3DXFRAME*;

// The application's allocator of frames and mesh containers, called by the
// hierarchy loader and by D3DXFrameDestroy.
struct ID3DXAllocateHierarchy {
  virtual HRESULT CreateFrame(LPCSTR Name, D3DXFRAME** ppNewFrame) = 0;
  virtual HRESULT CreateMeshContainer(LPCSTR Name, const D3DXMESHDATA* pMeshData, const D3DXMATERIAL* pMaterials,
                                      const D3DXEFFECTINSTANCE* pEffectInstances, DWORD NumMaterials,
                                      const DWORD* pAdjacency, ID3DXSkinInfo* pSkinInfo,
                                      D3DXMESHCONTAINER** ppNewMeshContainer) = 0;
  virtual HRESULT DestroyFrame(D3DXFRAME* pFrameToFree) = 0;
  virtual HRESULT DestroyMeshContainer(D3DXMESHCONTAINER* pMeshContainerToFree) = 0;

 protected:
  ~ID3DXAllocateHierarchy() = default;
};
using LPD3DXALLOCATEHIERARCHY = ID3DXAllocateHierarchy*;

// ---------------------------------------------------------------------------
// [SECTION] Functions
// ---------------------------------------------------------------------------
// Loads the first mesh of a text X file (all meshes of its frames merged
// into one, each placed by its frames' transforms). Materials come back as
// D3DXMATERIAL records whose texture names point into the same buffer.
HRESULT D3DXLoadMeshFromXA(LPCSTR pFilename, DWORD Options, IDirect3DDevice9* pD3DDevice,
                           ID3DXBuffer** ppAdjacency, ID3DXBuffer** ppMaterials, ID3DXBuffer** ppEffectInstances,
                           DWORD* pNumMaterials, ID3DXMesh** ppMesh);
// The same from bytes in memory.
HRESULT D3DXLoadMeshFromXInMemory(LPCVOID Memory, DWORD SizeOfMemory, DWORD Options, IDirect3DDevice9* pD3DDevice,
                                  ID3DXBuffer** ppAdjacency, ID3DXBuffer** ppMaterials,
                                  ID3DXBuffer** ppEffectInstances, DWORD* pNumMaterials, ID3DXMesh** ppMesh);

// Builds the frame tree of a text X file through the allocator's callbacks.
HRESULT D3DXLoadMeshHierarchyFromXA(LPCSTR Filename, DWORD MeshOptions, IDirect3DDevice9* pD3DDevice,
                                    ID3DXAllocateHierarchy* pAlloc, void* pUserDataLoader,
                                    D3DXFRAME** ppFrameHierarchy, ID3DXAnimationController** ppAnimController);
// Frees a frame tree through the allocator: every container, then every frame.
HRESULT D3DXFrameDestroy(D3DXFRAME* pFrameRoot, ID3DXAllocateHierarchy* pAlloc);

// Skin info for a mesh of `NumVertices` vertices of `FVF`, with `NumBones`
// bones that have no name, no influences and identity offsets yet.
HRESULT D3DXCreateSkinInfoFVF(DWORD NumVertices, DWORD FVF, DWORD NumBones, ID3DXSkinInfo** ppSkinInfo);

HRESULT D3DXCreateMeshFVF(DWORD NumFaces, DWORD NumVertices, DWORD Options, DWORD FVF, IDirect3DDevice9* pD3DDevice,
                          ID3DXMesh** ppMesh);
// Face normals averaged into the vertex normals (area weighted).
HRESULT D3DXComputeNormals(ID3DXMesh* pMesh, const DWORD* pAdjacency);
HRESULT D3DXDeclaratorFromFVF(DWORD FVF, D3DVERTEXELEMENT9 pDeclarator[MAX_FVF_DECL_SIZE]);
UINT D3DXGetFVFVertexSize(DWORD FVF);
