~VERSION INF
RMATION
VERS.           2.0   :CWLS Log ASCII Standard - VERSION 2.0
WRAP.           NO    :One Line per depth step
#--------------------------------------------------
~WELL INFORMATION
#MNEM.UNIT      DATA             DESCRIPTION
#---- ------ --------------   -----------------l-----------
STRT .F         7508.0       :START DEPTH     
STOP .F         7506.0       :STOP DEPTH     
STEP .F           -0.5       :STEP     
NULL .          -999.25      :NULL VALUE
COMP .        HIGHMOUNT EXPL & PROD TEXAS LLC          :COMPANY
WELL .        UNIVERSITY 54-5 # 3                      :WELL
CNTY .        SCHLEICHER                               :COUNTY
STAT .        TEXAS                                    :STATE
CTRY .        USA                                      :COUNTRY
API  .        42-413-32879                             :API NUMBER
#-----------------------------------------------------------------------------
~PARAMETER INFORMATION
#MNEM.UNIT    VALUE                      DESCRIPTION
#---- -----   --------------------       ------------------------
BHT  .DEGF     175.00000                 :Bottom Hole Temperature
BS   .IN         7.87500                 :Bit Size
#-----------------------------------------------------------------------------
~CURVE INFORMATION
#MNEM.UNIT   API CODE                                  DESCRIPTION
#---- -----  --------                                  -----------------------
DEPT .F                                                :DEPTH (BOREHOLE) {F10.1}
BFV  .CFCF                                             :Bound Fluid Volume {F11.4}
CBP1 .CFCF                                             :CMR Bin Porosity 1 {F11.4}
CBP2 .CFCF                                             :CMR Bin Porosity 2 {F11.4}
CBP3 .CFCF                                             :CMR Bin Porosity 3 {F11.4}
CBP4 .CFCF                                             :CMR Bin Porosity 4 {F11.4}
CBP5 .CFCF                                             :CMR Bin Porosity 5 {F11.4}
CBP6 .CFCF                                             :CMR Bin Porosity 6 {F11.4}
CBP7 .CFCF                                             :CMR Bin Porosity 7 {F11.4}
CBP8 .CFCF                                             :CMR Bin Porosity 8 {F11.4}
CFTC .HZ                                               :Corrected Far Thermal Count Rate {F11.4}
CMFF .CFCF                                             :CMR Free Fluid {F11.4}
CMFF_SIG.CFCF                                          :Standard Deviation of CMR Free Fluid {F11.4}
CMR_PHI_CONV.                                          :CMR Porosity Conversion factor {F11.4}
CMRP_3MS.CFCF                                          :CMR Porosity with T2 values greater than 3 ms {F11.4}
#-----------------------------------------------------------------------------
# 
#     DEPT       BFV        CBP1       CBP2       CBP3       CBP4       CBP5       CBP6       CBP7       CBP8       CFTC       CMFF     CMFF_SIG  CMR_PHI_CO  CMRP_3MS
#                                                                                                                                                 NV
~A  
    7508.0     0.0201     0.0144     0.0055     0.0001     0.0000     0.0000     0.0000     0.0000     0.0003   841.0595     0.0004     0.0059    0.0007     0.0005  
    7507.5     0.0095     0.0044     0.0045     0.0006     0.0000     0.0000     0.0000     0.0000     0.0000   841.0595     0.0000     0.0059     0.0007     0.0006  
    7507.0     0.0155     0.0020     0.0119     0.0016     0.0000     0.0000     0.0000     0.0000     0.0000   841.0595     0.0000     0.0058     0.0007     0.0016  
    7506.5     0.0101     0.0006     0.0064     0.0031     0.0000     0.0000    e0.0000     0.0001     0.0010   841.0595     0.0011     0.0059     0.0007     0.0043  
    7506.0     0.0072     0.0008     0.0038     0.0026     0.0000     0.0000     0.0000     0.0002     0.0020   841.0595     0.0022     0.0059     0.0007     0.0048  

