#pragma once

// The functions that the host exports for plug-ins, in the order in which the plug-in binds
// them, and the signatures of those it calls. Texts are NUL-terminated byte strings, valid only
// during the call; a buffer argument is written by the host without being told its size.

namespace duv::host_signature {

// Fills major, minor and sub-version.
using znGetVersionOfHalvernZN = void(int* major, int* minor, int* subVersion);
using znShowLogTab = void();
// Appends the text to the log unchanged; it carries its own line breaks.
using znLogText = void(const char* text);
// Shows the text and returns when the user has dismissed it.
using znMessageBox = void(const char* text);
// Lets the user pick a file; writes its path into `buffer`. `second` is passed empty.
using znGetOpenFileName = void(const char* title, const char* second, const char* filter,
                               char* buffer);
// Returns non-zero and writes the chosen path into `buffer` on confirmation; zero on cancel.
using znGetSaveFileName = int(const char* title, const char* suggestedName, const char* filter,
                              char* buffer);
using znShowBusyCursor = void();
using znStopBusyCursor = void();
// Writes the dialog parameter's text, terminated, into `buffer`.
using znGetStringParameter = void(const char* name, char* buffer);
// The dialog parameter's value; non-zero means on.
using znGetIntParameter = int(const char* name);
// Stores the text as the dialog parameter's value, readable by the dialog's script.
using znSetStringParameter = void(const char* name, const char* text);

// The functions that the plug-in never calls; only their addresses are kept.
using Opaque = void();

}  // namespace duv::host_signature

// All 190 host functions in binding order: CALLED(name) for the eleven with a signature above,
// OPAQUE(name) for the others.
#define DUV_HOST_FUNCTIONS(CALLED, OPAQUE)           \
  CALLED(znGetVersionOfHalvernZN)                    \
  OPAQUE(znGetHalvernZNPath)                         \
  OPAQUE(znGetPluginsPath)                           \
  OPAQUE(znShowLogPane)                              \
  CALLED(znShowLogTab)                               \
  CALLED(znLogText)                                  \
  CALLED(znMessageBox)                               \
  OPAQUE(znYesNoMessageBox)                          \
  OPAQUE(znGetIntegerInput)                          \
  OPAQUE(znGetFloatInput)                            \
  OPAQUE(znGetTextInput)                             \
  CALLED(znGetOpenFileName)                          \
  CALLED(znGetSaveFileName)                          \
  OPAQUE(znUpdateActiveWindow)                       \
  CALLED(znShowBusyCursor)                           \
  CALLED(znStopBusyCursor)                           \
  OPAQUE(znCloseAllPlots)                            \
  OPAQUE(znPlotPoints)                               \
  OPAQUE(znAddPointsToPlot)                          \
  OPAQUE(znPlotLine)                                 \
  OPAQUE(znAddLineToPlot)                            \
  OPAQUE(znPlotBars)                                 \
  OPAQUE(znAddBarsToPlot)                            \
  OPAQUE(znShowPlotAtPosition)                       \
  OPAQUE(znResizePlot)                               \
  OPAQUE(znSetBarPlotXAxisCategories)                \
  OPAQUE(znSetPlotXAxisRange)                        \
  OPAQUE(znSetPlotYAxisRange)                        \
  OPAQUE(znSetPlotXAxisTitle)                        \
  OPAQUE(znSetPlotYAxisTitle)                        \
  OPAQUE(znSetPlotXAxisProperties)                   \
  OPAQUE(znSetPlotYAxisProperties)                   \
  OPAQUE(znSetPlotTitle)                             \
  OPAQUE(znSetPlotMarkerSizeAndColor)                \
  OPAQUE(znSetPlotLineSizeAndColor)                  \
  OPAQUE(znSetPlotBarColors)                         \
  OPAQUE(znSetPlotFontSizes)                         \
  OPAQUE(znShowPlotLegend)                           \
  OPAQUE(znSetPlotColorTheme)                        \
  OPAQUE(znGetNumberOfDocsInWorkspace)               \
  OPAQUE(znGetDocumentType)                          \
  OPAQUE(znGetDocumentTypeName)                      \
  OPAQUE(znGetIDOfCurrentDocument)                   \
  OPAQUE(znSetAsCurrentDocument)                     \
  OPAQUE(znCalculateIAMatrix)                        \
  OPAQUE(znGetTRFParametersFromVolumeToolsDlg)       \
  OPAQUE(znGetHeaderOfCurrentFMR)                    \
  OPAQUE(znSetHeaderOfCurrentFMR)                    \
  OPAQUE(znGetSTCFloatDataOfCurrentFMR)              \
  OPAQUE(znGetSTCIntDataOfCurrentFMR)                \
  OPAQUE(znGetSTCDataOfCurrentFMR)                   \
  OPAQUE(znSaveFMR)                                  \
  OPAQUE(znSaveFMRAndSTC)                            \
  OPAQUE(znGetScannerPositionHeaderOfCurrentFMR)     \
  OPAQUE(znSetScannerPositionHeaderOfCurrentFMR)     \
  OPAQUE(znGetHeaderOfCurrentDMR)                    \
  OPAQUE(znSetHeaderOfCurrentDMR)                    \
  OPAQUE(znGetDWIFloatDataOfCurrentDMR)              \
  OPAQUE(znGetDWIIntDataOfCurrentDMR)                \
  OPAQUE(znGetDWIDataOfCurrentDMR)                   \
  OPAQUE(znConvertDWIFormatOfCurrentDMR)             \
  OPAQUE(znSaveDMR)                                  \
  OPAQUE(znSaveDMRAndDWI)                            \
  OPAQUE(znGetMAPOfCurrentFMR)                       \
  OPAQUE(znSetMAPParametersOfCurrentFMR)             \
  OPAQUE(znDeleteMAPsOfCurrentFMR)                   \
  OPAQUE(znLoadMAPsToCurrentFMR)                     \
  OPAQUE(znSaveMAPsOfCurrentFMR)                     \
  OPAQUE(znCreateMAPForCurrentFMR)                   \
  OPAQUE(znGetCurrentVMR)                            \
  OPAQUE(znGetMainHeaderOfCurrentVMR)                \
  OPAQUE(znSetMainHeaderOfCurrentVMR)                \
  OPAQUE(znGetScannerPositionHeaderOfCurrentVMR)     \
  OPAQUE(znSetScannerPositionHeaderOfCurrentVMR)     \
  OPAQUE(znGetPastTransformationsHeaderOfCurrentVMR) \
  OPAQUE(znSetPastTransformationsHeaderOfCurrentVMR) \
  OPAQUE(znReframeCurrentVMR)                        \
  OPAQUE(znGetCrossPositionOfCurrentVMR)             \
  OPAQUE(znGetV16OfCurrentVMR)                       \
  OPAQUE(znLoadV16ToCurrentVMR)                      \
  OPAQUE(znSaveV16OfCurrentVMR)                      \
  OPAQUE(znDetachV16FromCurrentVMR)                  \
  OPAQUE(znConvertV16ToVMR)                          \
  OPAQUE(znGetNRVMPsOfCurrentVMR)                    \
  OPAQUE(znGetNRVMPOfCurrentVMR)                     \
  OPAQUE(znSetNRVMPParametersOfCurrentVMR)           \
  OPAQUE(znLoadNRVMPsToCurrentVMR)                   \
  OPAQUE(znAddNRVMPsToCurrentVMR)                    \
  OPAQUE(znSaveNRVMPsOfCurrentVMR)                   \
  OPAQUE(znCreateNRVMPsForCurrentVMR)                \
  OPAQUE(znDeleteNRVMPsOfCurrentVMR)                 \
  OPAQUE(znDeleteNRVMPMap)                           \
  OPAQUE(znSetNRVMPsParamsDisplayRange)              \
  OPAQUE(znGetARVMPsOfCurrentVMR)                    \
  OPAQUE(znGetARVMPOfCurrentVMR)                     \
  OPAQUE(znSetARVMPParametersOfCurrentVMR)           \
  OPAQUE(znLoadARVMPsToCurrentVMR)                   \
  OPAQUE(znSaveARVMPsOfCurrentVMR)                   \
  OPAQUE(znCreateARVMPsForCurrentVMR)                \
  OPAQUE(znDeleteARVMPsOfCurrentVMR)                 \
  OPAQUE(znLinkVTCToCurrentVMR)                      \
  OPAQUE(znCreateVTCForCurrentVMR)                   \
  OPAQUE(znGetHeaderOfVTCOfCurrentVMR)               \
  OPAQUE(znSetHeaderOfVTCOfCurrentVMR)               \
  OPAQUE(znGetVTCOfCurrentVMR)                       \
  OPAQUE(znGetVTCFloatDataOfCurrentVMR)              \
  OPAQUE(znGetVTCIntDataOfCurrentVMR)                \
  OPAQUE(znSetVTCParametersOfCurrentVMR)             \
  OPAQUE(znSaveVTCOfCurrentVMR)                      \
  OPAQUE(znClearMultiVTCAnalysis)                    \
  OPAQUE(znAddVTCRefForMultiVTCAnalysis)             \
  OPAQUE(znGetVoxelTimeCourseOfVTC)                  \
  OPAQUE(znGetVoxelTimeCourseOfVTCs)                 \
  OPAQUE(znGetVoxelCoordsTimeCourseOfVTC)            \
  OPAQUE(znGetVoxelCoordsTimeCourseOfVTCs)           \
  OPAQUE(znGetGLMOfCurrentVMR)                       \
  OPAQUE(znGetGLMContrastsOfCurrentVMR)              \
  OPAQUE(znLoadMaskToCurrentVMR)                     \
  OPAQUE(znGetMaskOfCurrentVMR)                      \
  OPAQUE(znGetScene)                                 \
  OPAQUE(znLoadSRF)                                  \
  OPAQUE(znAddSRF)                                   \
  OPAQUE(znRemoveCurrentSRF)                         \
  OPAQUE(znGetCurrentSRF)                            \
  OPAQUE(znReleaseSRFAccess)                         \
  OPAQUE(znSaveCurrentSRF)                           \
  OPAQUE(znSetCurrentSRF)                            \
  OPAQUE(znLinkMTCToCurrentSRF)                      \
  OPAQUE(znGetMTCOfCurrentSRF)                       \
  OPAQUE(znSetMTCParametersOfCurrentSRF)             \
  OPAQUE(znCreateMTCForCurrentSRF)                   \
  OPAQUE(znSaveMTCOfCurrentSRF)                      \
  OPAQUE(znClearMultiMTCRefsOfCurrentSRF)            \
  OPAQUE(znAddMultiMTCRefToCurrentSRF)               \
  OPAQUE(znGetVertexTimeCourseOfMTC)                 \
  OPAQUE(znGetVertexTimeCourseOfAllMTCs)             \
  OPAQUE(znGetSMPsOfCurrentSRF)                      \
  OPAQUE(znGetSMPOfCurrentSRF)                       \
  OPAQUE(znSetSMPParametersOfCurrentSRF)             \
  OPAQUE(znLoadSMPsToCurrentSRF)                     \
  OPAQUE(znSaveSMPsOfCurrentSRF)                     \
  OPAQUE(znCreateSMPForCurrentSRF)                   \
  OPAQUE(znDeleteSMPsOfCurrentSRF)                   \
  OPAQUE(znOverlaySMPsOnSRF)                         \
  OPAQUE(znGetSSMOfCurrentSRF)                       \
  OPAQUE(znLoadSSMToCurrentSRF)                      \
  OPAQUE(znSaveSSMOfCurrentSRF)                      \
  OPAQUE(znCreateSSMForCurrentSRF)                   \
  OPAQUE(znDeleteSSMOfCurrentSRF)                    \
  OPAQUE(znClearProtocol)                            \
  OPAQUE(znLoadProtocol)                             \
  OPAQUE(znSaveProtocol)                             \
  OPAQUE(znGetProtocol)                              \
  OPAQUE(znSetProtocol)                              \
  OPAQUE(znGetProtocolCondition)                     \
  OPAQUE(znAddProtocolCondition)                     \
  OPAQUE(znAddProtocolConditionInterval)             \
  OPAQUE(znClearDesignMatrix)                        \
  OPAQUE(znAddPredictor)                             \
  OPAQUE(znSetPredictorValuesFromCondition)          \
  OPAQUE(znSetPredictorValuesFromConditionName)      \
  OPAQUE(znApplyTwoGammaHRFToPredictor)              \
  OPAQUE(znApplyTwoGammaHRFToPredictorWithName)      \
  OPAQUE(znApplyBoyntonHRFToPredictor)               \
  OPAQUE(znApplyBoyntonHRFToPredictorWithName)       \
  OPAQUE(znGetPredictor)                             \
  OPAQUE(znGetPredictorByName)                       \
  OPAQUE(znLoadSingleStudyGLMDesignMatrix)           \
  OPAQUE(znSaveSingleStudyGLMDesignMatrix)           \
  OPAQUE(znLoadVOIs)                                 \
  OPAQUE(znSaveVOIs)                                 \
  OPAQUE(znGetVOIs)                                  \
  OPAQUE(znGetVOI)                                   \
  OPAQUE(znLoadPOIs)                                 \
  OPAQUE(znSavePOIs)                                 \
  OPAQUE(znGetPOIs)                                  \
  OPAQUE(znGetPOI)                                   \
  CALLED(znGetStringParameter)                       \
  CALLED(znGetIntParameter)                          \
  OPAQUE(znGetFloatParameter)                        \
  CALLED(znSetStringParameter)                       \
  OPAQUE(znSetIntParameter)                          \
  OPAQUE(znSetFloatParameter)                        \
  OPAQUE(znGetDlgStringParameter)                    \
  OPAQUE(znGetDlgIntegerParameter)                   \
  OPAQUE(znGetDlgFloatParameter)                     \
  OPAQUE(znSetDlgStringOutputParameter)              \
  OPAQUE(znSetDlgIntegerOutputParameter)             \
  OPAQUE(znSetDlgFloatOutputParameter)               \
  OPAQUE(znLaunchICADialog)
