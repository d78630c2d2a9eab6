~VERSION INFORMATION
VERS.           2.0   :CWLS Log ASCII Standard - VERSION 2.0
WRAP.           NO    :One Line per depth step
#--------------------------------------------------
~WELL INFORMATION
#MNEM.UNIT      DATA             DESCRIPTION
#---- ------ --------------   -----------------------------
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
CMR_PHI_CONV.                                          :CMR Porosi