~VERSION INFORMATION
 VERS.                 2.0      :   CWLS log ASCII Standard -VERSION 2.0
 WRAP.                 YES      :   Multiple lines per depth step
~WELL INFORMATION 
#MNEM.UNIT                DATA                         DESCRIPTION
#----- -----           ----------           -----------------------------
STRT    .M               910.0000               :START DEPTH
STOP    .M               909.5000               :STOP DEPTH
STEP    .M               -0.1250                :STEP 
NULL    .                -999.25                :NULL VALUE
COMP    .       ANY OIL COMPANY INC.            :COMPANY
WELL    .       ANY ET AL 12-34-12-34           :WELL
FLD     .       WILDCAT                         :FIELD
LOC     .       12-34-12-34W5M                  :LOCATION
PROV    .       ALBERTA                         :PROVINCE 
SRVC    .       ANY LOGGING COMPANY INC.        :SERVICE COMPANY
SON     .       142085                          :SERVICE ORDER NUMBER
DATE    .       13-DEC-86                       :LOG DATE
UWI     .       100123401234W500                :UNIQUE WELL ID
~CURVE INFORMATION
#MNEM.UNIT                                    Curve Description
#---------                               ------------------------------
 DEPT   .M                              :    Depth
 DT     .US/M                           :  1 Sonic Travel Time
 RHOB   .K/M                            :  2 Density-Bulk Density
 NPHI   .V/V                            :  3 Porosity -Neutron
 RX0    .OHMM                           :  4 Resistivity -Rxo
 RESS   .OHMM                           :  5 Resistivity -Shallow
 RESM   .OHMM                           :  6 Resistivity -Medium
 RESD   .OHMM                           :  7 Resistivity -Deep
 SP     .MV                             :  8 Spon. Potential
 GR     .GAPI                           :  9 Gamma Ray
 CALI   .MM                             : 10 Caliper
 DRHO   .K/M3                           : 11 Delta-Rho
 EATT   .DBM                            : 12 EPT Attenuation
 TPL    .NS/M                           : 13 TP -EPT
 PEF    .                               : 14 PhotoElectric Factor
 FFI    .V/V                   