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
CTRY .        USA                                      :COUNT